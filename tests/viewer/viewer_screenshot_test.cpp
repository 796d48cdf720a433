// Shows the viewer with its shipped data on a private display, selects an entry by typing, and saves a
// picture of the window to build/screenshots/glossel.png for a person to look at.
#include "form1.h"
#include "ini.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

class ViewerScreenshotTest : public QObject {
    Q_OBJECT

  private slots:
    void screenshotOfTheViewer() {
        SetDataFolder(QStringLiteral(QM_VIEWER_DATA_DIR));
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::keyClicks(form.Text1, "mus");
        QCOMPARE(form.List1->currentItem()->text(), QString("MUS"));
        QVERIFY(form.TextTxt->toPlainText().startsWith("MUS 動作"));
        QTest::qWait(200);
        QVERIFY(QDir().mkpath(QStringLiteral(QM_SCREENSHOT_DIR)));
        const QPixmap picture = form.grab();
        QVERIFY(!picture.isNull());
        QVERIFY(picture.save(QStringLiteral(QM_SCREENSHOT_DIR) + "/glossel.png"));

        // The key table, to see its columns.
        form.Option1[1]->click();
        form.Text1->clear();
        QTest::keyClicks(form.Text1, "v");
        QVERIFY(form.TextTxt->toPlainText().contains("VK_RETURN = 13 (&HD)"));
        form.TextTxt->verticalScrollBar()->setValue(40);
        QTest::qWait(200);
        QVERIFY(form.grab().save(QStringLiteral(QM_SCREENSHOT_DIR) + "/glossel-keys.png"));
    }
};

QTEST_MAIN(ViewerScreenshotTest)

#include "viewer_screenshot_test.moc"
