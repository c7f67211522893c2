#include "controls/CFECFileDialog.h"

#include "framework/LocalText.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>

#include <utility>

namespace stubsetup {
namespace {

struct ScriptedAnswer {
    bool accepted;
    QStringList files;
};
std::optional<ScriptedAnswer> s_nextAnswer;

QString qtPatterns(const QString &patterns)
{
    QStringList converted = patterns.split(';', Qt::SkipEmptyParts);
    for (QString &pattern : converted) {
        pattern = pattern.trimmed();
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
    }
    return converted.join(' ');
}

QStringList fromQtFileNames(QStringList names)
{
    for (QString &name : names)
        name = fromQtFileName(name);
    return names;
}

} // namespace

CFECFileDialog::CFECFileDialog(Kind kind, const QString &defaultExtension, const QString &fileName,
                               std::uint32_t flags, const QString &filter, QWidget *parent)
    : QFileDialog(parent), m_kind(kind), m_flags(flags), m_strInitialFileName(fileName)
{
    setOption(DontUseNativeDialog);
    // Qt reads the patterns from the last parentheses of each filter; the
    // description keeps its own parentheses and shows without the added ones.
    setOption(HideNameFilterDetails);
    setDefaultSuffix(defaultExtension);
    setNameFilters(QtNameFilters(filter));
}

QStringList CFECFileDialog::QtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype index = 0; index + 1 < parts.size() && !parts[index].isEmpty(); index += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[index], qtPatterns(parts[index + 1]));
    return filters;
}

void CFECFileDialog::ApplySettings()
{
    setAcceptMode(m_kind == Kind::Save ? AcceptSave : AcceptOpen);
    StandInForQtsAcceptButton();
    setFileMode(ModeForFlags());
    setOption(ShowDirsOnly, m_kind == Kind::Folder);
    setOption(DontConfirmOverwrite, !(m_flags & OverwritePrompt));
    setOption(DontResolveSymlinks, m_flags & NoDereferenceLinks);
    setLabelText(Accept, QStringLiteral("OK"));
    if (!m_strInitialFolder.isEmpty())
        setDirectory(toQtFileName(m_strInitialFolder));
    // selectFile ignores an empty name, which would leave the last run's name.
    if (auto *nameField = findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        nameField->clear();
    selectFile(toQtFileName(m_strInitialFileName));
}

// Qt makes a new accept button whenever the accept mode is set.
void CFECFileDialog::StandInForQtsAcceptButton()
{
    auto *box = findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    if (!m_okButton) {
        m_okButton = box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
        m_okButton->setDefault(true);
    }
    QPushButton *qtAccept =
        box->button(acceptMode() == AcceptOpen ? QDialogButtonBox::Open : QDialogButtonBox::Save);
    m_qtAcceptButton = qtAccept;
    qtAccept->hide();
    qtAccept->installEventFilter(this);
    m_okButton->setEnabled(qtAccept->isEnabled());
}

bool CFECFileDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Compared as objects: a button that Qt is destroying is no button any more.
    if (watched == m_qtAcceptButton && event->type() == QEvent::EnabledChange)
        m_okButton->setEnabled(static_cast<QWidget *>(watched)->isEnabled());
    return QFileDialog::eventFilter(watched, event);
}

QFileDialog::FileMode CFECFileDialog::ModeForFlags() const
{
    if (m_kind == Kind::Folder)
        return Directory;
    if (m_kind == Kind::Save)
        return AnyFile;
    if (m_flags & AllowMultiSelect)
        return ExistingFiles;
    return m_flags & FileMustExist ? ExistingFile : AnyFile;
}

int CFECFileDialog::RunModal()
{
    m_selection.clear();
    ApplySettings();
    if (s_nextAnswer) {
        const ScriptedAnswer answer = *std::exchange(s_nextAnswer, std::nullopt);
        m_selection = fromQtFileNames(answer.files);
        return answer.accepted ? Accepted : Rejected;
    }
    const int result = exec();
    if (result == Accepted)
        m_selection = fromQtFileNames(selectedFiles());
    return result;
}

CFECFileDialog::Position CFECFileDialog::FirstFile() const
{
    return m_selection.isEmpty() ? Position() : Position(0);
}

QString CFECFileDialog::NextFile(Position &position) const
{
    const std::size_t index = position.value();
    position = index + 1 < std::size_t(m_selection.size()) ? Position(index + 1) : Position();
    return m_selection.at(qsizetype(index));
}

void CFECFileDialog::setNextSelection(const QStringList &files)
{
    s_nextAnswer = ScriptedAnswer{true, files};
}

void CFECFileDialog::setNextCancel()
{
    s_nextAnswer = ScriptedAnswer{false, {}};
}

} // namespace stubsetup
