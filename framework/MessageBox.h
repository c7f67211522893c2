#pragma once

#include <QMessageBox>
#include <QString>

#include <optional>

namespace stubsetup {

// The application's message boxes: a text, an OK button and a caller's caption.
class MessageBox {
public:
    enum class Style {
        Plain,                  // shown with the exclamation icon all the same
        Exclamation,            // exclamation icon
        ExclamationSystemModal, // exclamation icon, above every other window
        Stop,                   // stop icon: a file error
    };

    // What a box shows, as a test reads it back.
    struct Shown {
        QString text;
        Qt::TextFormat textFormat = Qt::AutoText;
        QString caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        Qt::WindowFlags flags;
        Qt::WindowModality modality = Qt::NonModal;
        const QWidget *owner = nullptr; // the window the box is transient for
    };

    // Shows the box modally; answers the button that closed it.
    static QMessageBox::StandardButton show(const QString &text, const QString &caption,
                                            Style style);

    // The caption of the framework's own boxes, such as a failed validation's:
    // the program's name, once the program has set it.
    static void setProgramCaption(const QString &caption);
    static QString programCaption();

    // Test seam: the next box is not shown but answered with `answer` at once,
    // and what it would have shown is kept for lastShown().
    static void setNextAnswer(QMessageBox::StandardButton answer);
    static std::optional<Shown> lastShown();
};

// A box under the program's caption, with the exclamation icon by default.
QMessageBox::StandardButton AfxMessageBox(const QString &text,
                                          MessageBox::Style style = MessageBox::Style::Exclamation);

} // namespace stubsetup
