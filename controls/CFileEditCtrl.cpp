#include "controls/CFileEditCtrl.h"

#include "controls/FileEditPaths.h"
#include "framework/CDataExchange.h"
#include "framework/LocalText.h"
#include "framework/Window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

#include <stdexcept>

namespace stubsetup {

using namespace fileEditPaths;

namespace {

constexpr QChar kSeparator = ';';
const QString kFilter = QStringLiteral("All Files (*.*)|*.*||");

bool isSeparatorOrSpace(QChar character)
{
    return character == kSeparator || character.isSpace();
}

// One entry of the text: where it starts, what it holds without trailing
// white space, and whether a separator ended it.
struct TextEntry {
    QString text;
    bool endedBySeparator = false;
    qsizetype next = 0;
};

// The entry at or after `from`, skipping separators and white space; none at
// the end of the text.
std::optional<TextEntry> nextEntry(const QString &text, qsizetype from)
{
    while (from < text.size() && isSeparatorOrSpace(text[from]))
        ++from;
    if (from == text.size())
        return std::nullopt;
    const qsizetype separator = text.indexOf(kSeparator, from);
    TextEntry entry;
    entry.endedBySeparator = separator >= 0;
    entry.next = entry.endedBySeparator ? separator + 1 : text.size();
    QString cut = text.mid(from, (entry.endedBySeparator ? separator : text.size()) - from);
    while (!cut.isEmpty() && cut.back().isSpace())
        cut.chop(1);
    entry.text = cut;
    return entry;
}

bool isCtrlPeriod(const QKeyEvent &event)
{
    if (!event.modifiers().testFlag(Qt::ControlModifier))
        return false;
    // The keypad's decimal key gives a comma with some keyboard layouts.
    return event.key() == Qt::Key_Period ||
           (event.key() == Qt::Key_Comma && event.modifiers().testFlag(Qt::KeypadModifier));
}

QStringList localFiles(const QMimeData &data)
{
    QStringList files;
    for (const QUrl &url : data.urls()) {
        if (url.isLocalFile())
            files << fromQtFileName(url.toLocalFile());
    }
    return files;
}

} // namespace

CFileEditCtrl::CFileEditCtrl(QWidget *parent) : QLineEdit(parent)
{
    // A drop target only when the owner makes it one.
    setAcceptDrops(false);
    setMouseTracking(true);
    connect(this, &QLineEdit::textChanged, this, [this] { m_bTextChanged = true; });
}

CFileEditCtrl::~CFileEditCtrl() = default;

bool CFileEditCtrl::CreateControl(std::uint32_t options, std::uint32_t extendedStyle,
                                  const QString &text, std::uint32_t style, const QRect &rect,
                                  QWidget *parent, int id)
{
    setParent(parent);
    setControlId(this, id);
    setWindowStyle(this, style);
    setExtendedStyle(this, extendedStyle);
    setGeometry(rect);
    setText(text);
    if (!SetOptions(options)) {
        setParent(nullptr);
        return false;
    }
    setEnabled(!(style & WindowStyle::kDisabled));
    setVisible(style & WindowStyle::kVisible);
    return true;
}

bool CFileEditCtrl::SetOptions(std::uint32_t options)
{
    m_bTextChanged = true;
    const std::uint32_t modes = options & (PickFolder | OpenFiles | SaveFiles);
    if (modes != PickFolder && modes != OpenFiles && modes != SaveFiles)
        return false;
    ConfigurePicker(options);
    ApplyButtonSide(options);
    if ((options ^ m_options) & HotTrack) {
        m_options = (m_options & ~HotTrack) | (options & HotTrack);
        ShowFlat(options & HotTrack);
    }
    m_options = options;
    return true;
}

void CFileEditCtrl::ConfigurePicker(std::uint32_t options)
{
    if (options & PickFolder) {
        if (!m_pDialog || m_pDialog->GetKind() != CFECFileDialog::Kind::Folder)
            m_pDialog = std::make_unique<CFECFileDialog>(CFECFileDialog::Kind::Folder, QString(),
                                                         QString(), 0, QString(), this);
        return;
    }
    const auto kind = options & OpenFiles ? CFECFileDialog::Kind::Open : CFECFileDialog::Kind::Save;
    if (!m_pDialog || m_pDialog->GetKind() == CFECFileDialog::Kind::Folder)
        m_pDialog = std::make_unique<CFECFileDialog>(
            kind, QString(), QString(), CFECFileDialog::HideReadOnly | CFECFileDialog::NoChangeDir,
            kFilter, this);
    m_pDialog->SetKind(kind);
    // A save dialog that kept "must exist" from an earlier open mode could
    // not save a new file, so each mode's check replaces the other's.
    std::uint32_t flags = m_pDialog->Flags();
    flags &= ~(CFECFileDialog::FileMustExist | CFECFileDialog::OverwritePrompt |
               CFECFileDialog::AllowMultiSelect | CFECFileDialog::NoDereferenceLinks);
    flags |= options & OpenFiles ? CFECFileDialog::FileMustExist : CFECFileDialog::OverwritePrompt;
    if (options & MultiSelect)
        flags |= CFECFileDialog::AllowMultiSelect;
    if (options & KeepShortcuts)
        flags |= CFECFileDialog::NoDereferenceLinks;
    m_pDialog->SetFlags(flags);
    m_strDialogTitle = QStringLiteral("Browse for File");
    m_pDialog->setWindowTitle(m_strDialogTitle);
}

std::uint32_t CFileEditCtrl::GetOptions() const
{
    if (!m_pDialog || m_pDialog->GetKind() == CFECFileDialog::Kind::Folder)
        return m_options;
    const std::uint32_t flags = m_pDialog->Flags();
    std::uint32_t options = m_options & ~(MultiSelect | KeepShortcuts);
    if (flags & CFECFileDialog::AllowMultiSelect)
        options |= MultiSelect;
    if (flags & CFECFileDialog::NoDereferenceLinks)
        options |= KeepShortcuts;
    return options;
}

CFileEditCtrl::Position CFileEditCtrl::BeginPaths()
{
    if (m_bTextChanged) {
        ParseText();
        m_bTextChanged = false;
    }
    return m_listPaths.isEmpty() ? Position() : Position(0);
}

QString CFileEditCtrl::NextPath(Position &position)
{
    if (!position)
        throw std::invalid_argument("NextPath needs a position");
    const QString entry = m_listPaths.at(qsizetype(*position));
    position =
        *position + 1 < std::size_t(m_listPaths.size()) ? Position(*position + 1) : Position();
    QString path = fullPath(entry.startsWith('/') ? entry : m_strFolder + entry);
    if (ResolvesShortcuts() && isShortcutName(path))
        ResolveShortcut(path);
    return path;
}

std::optional<QString> CFileEditCtrl::FirstPath()
{
    Position position = BeginPaths();
    return position ? std::optional<QString>(NextPath(position)) : std::nullopt;
}

void CFileEditCtrl::ParseText()
{
    m_strFolder.clear();
    m_listPaths.clear();
    const QString text = this->text();
    std::optional<TextEntry> entry = nextEntry(text, 0);
    if (!entry)
        return;
    if (m_options & PickFolder) {
        ParseFolderEntry(entry->text);
        return;
    }
    m_strFolder = directoryPart(entry->text);
    AddEntry(entry->text.mid(m_strFolder.size()));
    if (!(m_options & MultiSelect))
        return;
    while (entry->endedBySeparator && (entry = nextEntry(text, entry->next)))
        AddEntry(entry->text);
}

void CFileEditCtrl::ParseFolderEntry(const QString &entry)
{
    QString path = fullPath(entry);
    if (m_options & FolderSlash) {
        if (!path.endsWith('/'))
            path += '/';
    } else if (path.endsWith('/') && path != QLatin1String("/")) {
        path.chop(1);
    }
    StoreEntry(path);
}

void CFileEditCtrl::AddEntry(const QString &entry)
{
    if (!(m_options & ExpandWildcards) || !hasWildcards(entry)) {
        StoreEntry(entry);
        return;
    }
    const QStringList files =
        matchingFiles(fullPath(entry.startsWith('/') ? entry : m_strFolder + entry));
    for (const QString &file : files) {
        StoreEntry(file);
        if (!(m_options & MultiSelect))
            return;
    }
}

void CFileEditCtrl::StoreEntry(QString path)
{
    if (ResolvesShortcuts() && isShortcutName(path))
        ResolveShortcut(path);
    if (!fitsPathLimit(fullPath(path.startsWith('/') ? path : m_strFolder + path)))
        return;
    if (!m_strFolder.isEmpty() && path.startsWith(m_strFolder))
        path.remove(0, m_strFolder.size());
    m_listPaths << path;
}

bool CFileEditCtrl::ResolvesShortcuts() const
{
    return (m_options & OpenFiles) && !(m_options & KeepShortcuts);
}

bool CFileEditCtrl::ResolveShortcut(QString &path) const
{
    const QString target = shortcutTarget(path);
    if (target.isEmpty())
        return false;
    path = target;
    return true;
}

void CFileEditCtrl::StartBrowse()
{
    if (Notify(BeforeBrowse, nullptr) != 0)
        return;
    if (m_options & PickFolder)
        BrowseFolder();
    else if (m_options & (OpenFiles | SaveFiles))
        BrowseFiles();
}

bool CFileEditCtrl::BrowseFolder()
{
    m_pDialog->SetInitialFileName({});
    if (std::optional<QString> path = FirstPath()) {
        if (path->endsWith('/') && *path != QLatin1String("/"))
            path->chop(1);
        m_pDialog->SetInitialFolder(QFileInfo(*path).absolutePath());
        m_pDialog->SetInitialFileName(*path);
    }
    const bool chosen = RunPicker(&CFileEditCtrl::ChosenFolderText);
    m_pDialog->SetInitialFolder({});
    return chosen;
}

bool CFileEditCtrl::BrowseFiles()
{
    // An initial folder the owner set on the dialog stays for every run.
    if (!m_pDialog->InitialFolder().isEmpty())
        return RunPicker(&CFileEditCtrl::ChosenFilesText);
    m_pDialog->SetInitialFileName({});
    if (const std::optional<QString> path = FirstPath()) {
        const QFileInfo info(toQtFileName(*path));
        const bool mustExist = m_pDialog->Flags() & CFECFileDialog::FileMustExist;
        if (!info.isDir() && (info.exists() || !mustExist))
            m_pDialog->SetInitialFileName(path->mid(directoryPart(*path).size()));
        m_pDialog->SetInitialFolder(nearestExistingFolder(*path));
    }
    const bool chosen = RunPicker(&CFileEditCtrl::ChosenFilesText);
    m_pDialog->SetInitialFolder({});
    return chosen;
}

bool CFileEditCtrl::RunPicker(QString (CFileEditCtrl::*chosenText)() const)
{
    bool chosen = false;
    if (m_pDialog->RunModal() != QDialog::Accepted) {
        Notify(AfterBrowse, nullptr);
    } else if (const QString text = (this->*chosenText)(); !text.isEmpty()) {
        chosen = NotifyAndSetText(AfterBrowse, text);
    }
    setFocus(Qt::OtherFocusReason);
    return chosen;
}

QString CFileEditCtrl::ChosenFolderText() const
{
    CFECFileDialog::Position position = m_pDialog->FirstFile();
    if (!position)
        return {};
    QString folder = m_pDialog->NextFile(position);
    if ((m_options & FolderSlash) && !folder.endsWith('/'))
        folder += '/';
    return folder;
}

QString CFileEditCtrl::ChosenFilesText() const
{
    CFECFileDialog::Position position = m_pDialog->FirstFile();
    if (!position)
        return {};
    QString text = m_pDialog->NextFile(position);
    while (position)
        text += QStringLiteral("; ") + QFileInfo(m_pDialog->NextFile(position)).fileName();
    return text;
}

int CFileEditCtrl::Notify(NotificationCode code, QString *text)
{
    if (!parentWidget())
        return 0;
    FileEditNotification notification{this, controlId(this), code, text};
    emit fileEditNotify(&notification);
    return notification.answer;
}

bool CFileEditCtrl::NotifyAndSetText(NotificationCode code, QString text)
{
    if (Notify(code, &text) != 0)
        return false;
    setText(text);
    return true;
}

void CFileEditCtrl::DropFiles(const QStringList &paths)
{
    m_bCaptured = false;
    const bool firstOnly =
        (m_options & PickFolder) || ((m_options & OpenFiles) && !(m_options & MultiSelect));
    const QStringList taken = firstOnly ? paths.mid(0, 1) : paths;
    QString text;
    qsizetype prefixLength = 0;
    for (QString path : taken) {
        if (!fitsPathLimit(path))
            continue;
        if (ResolvesShortcuts() && isShortcutName(path))
            ResolveShortcut(path);
        if (text.isEmpty()) {
            prefixLength = directoryPart(path).size();
        } else {
            if (QStringView(path).left(prefixLength) == QStringView(text).left(prefixLength))
                path.remove(0, prefixLength);
            text += QStringLiteral("; ");
        }
        text += path;
    }
    NotifyAndSetText(AfterDrop, text);
}

void CFileEditCtrl::dragEnterEvent(QDragEnterEvent *event)
{
    if (!localFiles(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        QLineEdit::dragEnterEvent(event);
}

void CFileEditCtrl::dropEvent(QDropEvent *event)
{
    const QStringList files = localFiles(*event->mimeData());
    if (files.isEmpty()) {
        QLineEdit::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    DropFiles(files);
}

void CFileEditCtrl::keyPressEvent(QKeyEvent *event)
{
    if (isCtrlPeriod(*event))
        StartBrowse();
    else
        QLineEdit::keyPressEvent(event);
}

void CFileEditCtrl::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    ShowFlat(false);
    selectAll();
}

void CFileEditCtrl::focusOutEvent(QFocusEvent *event)
{
    if (m_bCaptured) {
        m_bCaptured = false;
        if (!(m_nButtonState & Normal))
            PaintButton(Normal);
    }
    QLineEdit::focusOutEvent(event);
    ShowFlat(true);
}

void CFileEditCtrl::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::ReadOnlyChange) {
        ShowFlat(true);
    } else if (event->type() == QEvent::EnabledChange) {
        ShowFlat(true);
        PaintButton(Normal);
    }
}

void ExchangeFileEdit(CDataExchange &dx, int id, CFileEditCtrl &control, std::uint32_t options)
{
    QWidget &current = dx.PrepareCtrl(id);
    if (&current != &control) {
        if (!qobject_cast<QLineEdit *>(&current))
            throw std::logic_error("control " + std::to_string(id) + " is no line edit");
        DDX_Control(dx, id, control);
        if (!control.SetOptions(options))
            throw std::logic_error("file edit options rejected");
        return;
    }
    if (dx.m_bSaveAndValidate)
        control.BeginPaths();
}

} // namespace stubsetup
