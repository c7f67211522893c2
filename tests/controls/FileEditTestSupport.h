#pragma once

#include "controls/CFileEditCtrl.h"

#include "ModalDriver.h"
#include "QtTestSupport.h"

#include <QDir>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

namespace stubsetup::test {

// Writes a minimal Windows shortcut: a link info with `localPath` as its
// local base path and/or a relative path, each left out when empty.
void WriteShortcut(const QString &path, const QString &localPath, const QString &relativePath);

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
