#pragma once

#include <QFileDialog>
#include <QPointer>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <optional>

class QPushButton;

namespace stubsetup {

// The file edit control's file dialog: Qt's own dialog (never the desktop's,
// so that the accept button reads "OK" when opening and saving alike), which
// also serves as the control's folder picker. The selection is read one full
// path at a time with FirstFile and NextFile. Paths in and out are in the
// control's terms, text whose bytes in the locale's charset name the file.
class CFECFileDialog : public QFileDialog {
    Q_OBJECT

public:
    enum class Kind { Open, Save, Folder };

    // Dialog flags, with the values the control's configuration uses.
    enum Flag : std::uint32_t {
        OverwritePrompt = 0x2,
        HideReadOnly = 0x4,
        NoChangeDir = 0x8,
        AllowMultiSelect = 0x200,
        FileMustExist = 0x1000,
        NoDereferenceLinks = 0x100000,
    };

    using Position = std::optional<std::size_t>;

    // `filter` is in the form "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||".
    CFECFileDialog(Kind kind, const QString &defaultExtension, const QString &fileName,
                   std::uint32_t flags, const QString &filter, QWidget *parent);

    Kind GetKind() const { return m_kind; }
    void SetKind(Kind kind) { m_kind = kind; }
    std::uint32_t Flags() const { return m_flags; }
    void SetFlags(std::uint32_t flags) { m_flags = flags; }
    QString InitialFolder() const { return m_strInitialFolder; }
    void SetInitialFolder(const QString &folder) { m_strInitialFolder = folder; }
    void SetInitialFileName(const QString &name) { m_strInitialFileName = name; }

    // Shows the dialog configured as set; QDialog::Accepted or Rejected.
    int RunModal();

    Position FirstFile() const;
    // The full path at `position`, which moves on to the next file or to none.
    QString NextFile(Position &position) const;

    // The filter in Qt's form. "*.*" means every file, with or without a dot,
    // so it becomes "*"; the descriptions stay as they read.
    static QStringList QtNameFilters(const QString &filter);

    // Test seams: the next RunModal, after configuring the dialog, answers at
    // once with these full paths, named as Qt's dialog names them, or with
    // Cancel, instead of showing it.
    static void setNextSelection(const QStringList &files);
    static void setNextCancel();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ApplySettings();
    FileMode ModeForFlags() const;
    void StandInForQtsAcceptButton();

    Kind m_kind;
    std::uint32_t m_flags;
    QString m_strInitialFolder;
    QString m_strInitialFileName;
    QStringList m_selection;
    // Qt renames its accept button after what accepting would do ("Open" on a
    // folder); this one always reads "OK". Qt's own stays, hidden, and keeps
    // deciding whether accepting is possible. Both belong to the button box.
    QPushButton *m_okButton = nullptr;
    QPointer<QObject> m_qtAcceptButton;
};

} // namespace stubsetup
