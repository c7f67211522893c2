#pragma once

#include "controls/CFECFileDialog.h"

#include <QLineEdit>
#include <QRect>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

class QPainter;

namespace stubsetup {

class CDataExchange;
class CFileEditCtrl;

// What the control tells its parent before and after browsing and after a
// drop. The parent answers by setting `answer`: nonzero vetoes the browse or
// the new text. For AfterBrowse and AfterDrop `text` points at the text about
// to be set, which the parent may change; otherwise it is null.
struct FileEditNotification {
    CFileEditCtrl *control;
    int controlId;
    int code;
    QString *text;
    int answer = 0;
};

// A line edit for one or several file paths, or one folder path, with a
// browse button inside its frame. The owner reads the paths as full paths
// with BeginPaths and NextPath.
class CFileEditCtrl : public QLineEdit {
    Q_OBJECT

public:
    enum FileEditOptions : std::uint32_t {
        OpenFiles = 0x0001,
        MultiSelect = 0x0002,
        PickFolder = 0x0004,
        FolderSlash = 0x0008,
        ButtonOnLeft = 0x0010,
        ButtonTip = 0x0020,
        TextTip = 0x0040,
        ExpandWildcards = 0x0080,
        KeepShortcuts = 0x0100,
        HotTrack = 0x0400,
        GreyDots = 0x0800,
        SaveFiles = 0x1000,
    };
    enum ButtonState : unsigned { Normal = 1, Pressed = 2, Disabled = 4, Flat = 8 };
    enum NotificationCode { BeforeBrowse = 1, AfterBrowse = 2, AfterDrop = 3 };

    using Position = std::optional<std::size_t>;

    explicit CFileEditCtrl(QWidget *parent = nullptr);
    ~CFileEditCtrl() override;

    // Places the control in `parent` with the given window data and options;
    // false, and the control left without a parent, when the options are
    // rejected.
    bool CreateControl(std::uint32_t options, std::uint32_t extendedStyle, const QString &text,
                       std::uint32_t style, const QRect &rect, QWidget *parent, int id);

    // False for a mode other than exactly one of PickFolder, OpenFiles and
    // SaveFiles; the stored options then stay as they were.
    bool SetOptions(std::uint32_t options);
    std::uint32_t GetOptions() const;

    Position BeginPaths();
    // The full path at `position`, which moves on; throws std::invalid_argument
    // for no position.
    QString NextPath(Position &position);

    void StartBrowse();
    // The drop of local files, in drop order, as a drop on the control does it.
    void DropFiles(const QStringList &paths);

    void SetTextTip(const QString &tip) { m_strTextTip = tip; }
    QRect ButtonRect() const { return m_rcButton; }
    unsigned GetButtonState() const { return m_nButtonState; }
    // The text area inside the frame, button strip included.
    QRect ClientRect() const;
    // The tool-tip text at `point`, empty for none.
    QString ToolTipAt(const QPoint &point) const;
    CFECFileDialog *FileDialog() const { return m_pDialog.get(); }

signals:
    // Delivered synchronously, and only while the control has a parent.
    void fileEditNotify(stubsetup::FileEditNotification *notification);

protected:
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Text to paths.
    void ParseText();
    void ParseFolderEntry(const QString &entry);
    void AddEntry(const QString &entry);
    void StoreEntry(QString path);
    bool ResolveShortcut(QString &path) const;
    bool ResolvesShortcuts() const;
    std::optional<QString> FirstPath();

    // Options.
    void ConfigurePicker(std::uint32_t options);
    void ApplyButtonSide(std::uint32_t options);

    // Browsing and dropping.
    bool BrowseFolder();
    bool BrowseFiles();
    bool RunPicker(QString (CFileEditCtrl::*chosenText)() const);
    QString ChosenFolderText() const;
    QString ChosenFilesText() const;
    int Notify(NotificationCode code, QString *text);
    bool NotifyAndSetText(NotificationCode code, QString text);

    // The browse button.
    void LayoutButton();
    void PaintButton(unsigned state);
    void ShowFlat(bool flat);
    void PressButton();
    void ReleaseButton();
    void DrawButton(QPainter &painter) const;
    void DrawFlatFrame(QPainter &painter) const;
    void PaintDots(QPainter &painter, const QColor &colour, int offset) const;
    bool IsOnButton(const QPoint &point) const { return m_rcButton.contains(point); }

    int m_nButtonSide = -1;
    bool m_bCaptured = false;
    bool m_bTextChanged = true;
    std::uint32_t m_options = 0;
    QStringList m_listPaths;
    unsigned m_nButtonState = Normal;
    std::unique_ptr<CFECFileDialog> m_pDialog;
    QRect m_rcButton;
    QString m_strDialogTitle;
    QString m_strTextTip;
    QString m_strFolder;
};

// Binds `control` to the dialog's line edit `id` on the first exchange and
// sets its options; a later exchange back to the fields brings the path list
// up to date with the text. Throws std::logic_error when the control cannot
// take that place or the options are rejected.
void ExchangeFileEdit(CDataExchange &dx, int id, CFileEditCtrl &control, std::uint32_t options);

} // namespace stubsetup
