// The dialogs at twice the scale (QT_SCALE_FACTOR=2, set for this test):
// every text fits its control and the icons are drawn at the screen's
// resolution, not enlarged.
#include "app/gui/CDialogDuplicateAndAppend.h"
#include "app/gui/CInstallerDlg.h"
#include "app/gui/CUsageDlg.h"

#include "controls/CStyledLabel.h"
#include "framework/Window.h"

#include "ModalDriver.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPixmap>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace stubsetup {
namespace {

// Each text control's text, laid out in its font, within its control.
void expectTextsFit(const QWidget &dialog)
{
    for (const QWidget *child : dialog.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QString text = windowText(child);
        if (!child->isVisibleTo(&dialog) || text.isEmpty())
            continue;
        SCOPED_TRACE(text.toStdString());
        const QFontMetrics metrics = child->fontMetrics();
        if (const auto *label = qobject_cast<const QLabel *>(child)) {
            const QRect room = label->contentsRect();
            if (label->wordWrap())
                EXPECT_LE(label->heightForWidth(label->width()), label->height());
            else
                EXPECT_LE(metrics.size(Qt::TextShowMnemonic, text).width(), room.width());
        } else if (qobject_cast<const QAbstractButton *>(child)) {
            EXPECT_LE(metrics.size(Qt::TextShowMnemonic, text).width(), child->width());
            EXPECT_LE(metrics.height(), child->height());
        } else if (qobject_cast<const CStyledLabel *>(child)) {
            const QRect needed = metrics.boundingRect(text);
            EXPECT_LE(needed.width(), child->width());
            EXPECT_LE(needed.height(), child->height());
        }
    }
}

// Runs the dialog's opening, checks it, and closes it.
void expectAtTwiceTheScale(CDialog &dialog)
{
    test::whenModal([](QWidget &window) {
        EXPECT_DOUBLE_EQ(window.devicePixelRatioF(), 2.0);
        expectTextsFit(window);
        for (const QLabel *label : window.findChildren<QLabel *>()) {
            if (label->pixmap().isNull())
                continue;
            // The icon is drawn for the screen's pixels: as many as the label's.
            EXPECT_DOUBLE_EQ(label->pixmap().devicePixelRatio(), 2.0);
            EXPECT_EQ(label->pixmap().size(), label->pixmap().deviceIndependentSize().toSize() * 2);
        }
        test::pressKey(window, Qt::Key_Escape);
    });
    dialog.DoModal();
}

TEST(HiDpiTest, TextsFitAndIconsAreSharpInEveryDialog)
{
    ASSERT_EQ(std::string(std::getenv("QT_SCALE_FACTOR")), "2");
    unsetenv("ORL_APP_INSTALL_PATH");
    CInstallerDlg progress;
    progress.m_strDisplayName = "Corvane Updater Test Installer";
    progress.m_strInstallPath = "/opt/app";
    progress.m_strComponent = "Component";
    progress.m_nReturnCode = 3;
    expectAtTwiceTheScale(progress);
    CUsageDlg usage;
    expectAtTwiceTheScale(usage);
    CDialogDuplicateAndAppend tool;
    expectAtTwiceTheScale(tool);
}

} // namespace
} // namespace stubsetup
