#pragma once

#include "controls/CFileEditCtrl.h"

#include "QtTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace stubsetup::test {

// Writes a minimal Windows shortcut: a link info with `localPath` as its
// local base path and/or a relative path, each left out when empty.
void WriteShortcut(const QString &path, const QString &localPath, const QString &relativePath);

// Calls `poll` every few milliseconds of the event loop until it says done.
void PollUntil(std::function<bool()> poll);

// Runs `answer` on the next modal window of type `Window` once it shows.
template <class Window> void AnswerNextModal(std::function<void(Window &)> answer)
{
    PollUntil([answer] {
        auto *window = qobject_cast<Window *>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return false;
        answer(*window);
        return true;
    });
}

inline void AnswerNextDialog(std::function<void(CFECFileDialog &)> answer)
{
    AnswerNextModal<CFECFileDialog>(std::move(answer));
}

// Makes `folder` the current directory for the scope.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const QString &folder);
    ~CurrentDirectory();

private:
    QString m_previous;
};

// A control inside a parent window that records every notification and
// answers with the answers set per code, optionally rewriting the text.
class FileEditTest : public testing::Test {
protected:
    struct Received {
        int code;
        std::optional<QString> text;
    };

    FileEditTest();

    // The folder of temporary files, with a trailing '/'.
    QString Folder() const { return QString::fromStdString(m_temp.path()) + '/'; }
    std::vector<int> ReceivedCodes() const;

    TempFolder m_temp;
    QWidget m_parent;
    CFileEditCtrl m_control{&m_parent};
    std::vector<Received> m_received;
    std::map<int, int> m_answers;
    std::optional<QString> m_rewrite;
};

} // namespace stubsetup::test
