// The user guide's window: found beside the program or in an install, opened by ヘルプ's items (the two web
// pages too, while they have no address), every link and picture of every page leading to a file of the
// guide, the buttons and keys moving between pages; a picture of the window goes to build/screenshots/.
#include "editor_test_support.h"
#include "guide_frm.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace editor_testing;

namespace {

// Copies the guide of the source tree to `folder`/guide, as the build puts it beside the program.
void CopyGuideTo(const QString& folder) {
    const QDir source(QStringLiteral(QM_GUIDE_SOURCE_DIR));
    QDirIterator files(source.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        const QString target =
            QDir(folder).filePath(QStringLiteral("guide/") + source.relativeFilePath(file));
        QDir().mkpath(QFileInfo(target).path());
        ASSERT_TRUE(QFile::copy(file, target)) << target.toStdString();
    }
}

struct PageLinks {
    QStringList pages;    // links to other files of the guide, resolved
    QStringList pictures; // pictures, resolved
    QStringList web;      // http(s) addresses
};

// The links and pictures of the page shown, resolved against its folder.
PageLinks LinksOf(const QTextBrowser& browser) {
    PageLinks links;
    const QDir folder = QFileInfo(browser.source().toLocalFile()).dir();
    for (QTextBlock block = browser.document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat()) {
                links.pictures << QDir::cleanPath(folder.filePath(format.toImageFormat().name()));
            } else if (format.isAnchor() && !format.anchorHref().isEmpty()) {
                const QString href = format.anchorHref();
                if (href.startsWith(QStringLiteral("http"))) {
                    links.web << href;
                } else if (!href.startsWith(u'#')) {
                    links.pages << QDir::cleanPath(folder.filePath(href.section(u'#', 0, 0)));
                }
            }
        }
    }
    return links;
}

// The middle of the link to `href` on the page shown, in the browser's viewport (null when there is none).
QPoint LinkPlace(QTextBrowser& browser, const QString& href) {
    for (QTextBlock block = browser.document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().anchorHref() != href) continue;
            QTextCursor cursor(browser.document());
            cursor.setPosition(fragment.position() + fragment.length() / 2);
            return browser.cursorRect(cursor).center();
        }
    }
    return {};
}

} // namespace

TEST(UserGuide, FoundBesideTheProgramOrInTheInstall) {
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    EXPECT_EQ(FindUserGuide(bin), QString());

    const QString installed = dir.filePath(QStringLiteral("share/doc/quillonmacro/guide/index.md"));
    QDir().mkpath(QFileInfo(installed).path());
    QFile(installed).open(QIODevice::WriteOnly);
    EXPECT_EQ(FindUserGuide(bin), installed);

    // A folder named like the page is no page; the copy beside the program comes first.
    QDir().mkpath(QDir(bin).filePath(QStringLiteral("guide/index.md")));
    EXPECT_EQ(FindUserGuide(bin), installed);
    QDir(bin).rmdir(QStringLiteral("guide/index.md"));
    const QString beside = QDir(bin).filePath(QStringLiteral("guide/index.md"));
    QFile(beside).open(QIODevice::WriteOnly);
    EXPECT_EQ(FindUserGuide(bin), beside);
}

TEST(UserGuide, MissingGuideIsNotedInTheLog) {
    TestWindow w;
    w->Menu_Guide_Click();
    const QStringList lines = LogLines(*w);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0], QStringLiteral("使い方ガイドが見つかりません。 - ") +
                            QDir::toNativeSeparators(w.Path(QStringLiteral("guide"))));
    EXPECT_EQ(w->Guide(), nullptr);
}

// Every page is reached from the first one, and each of its links leads to a page or picture of the guide
// that exists and shows (a page with text, a picture that decodes).
TEST(UserGuide, EveryLinkAndPictureLeadsToTheGuide) {
    TestWindow w;
    CopyGuideTo(w.dir.path());
    w->Menu_Guide_Click();
    GuideFrm* guide = w->Guide();
    ASSERT_NE(guide, nullptr);
    ASSERT_TRUE(WaitFor([&] { return guide->isVisible(); }));
    EXPECT_TRUE(guide->txt_Page->toPlainText().contains(QStringLiteral("QuillonMacro 使い方ガイド")));
    EXPECT_EQ(guide->windowTitle(), QStringLiteral("使い方ガイド - QuillonMacro 使い方ガイド"));

    const QString guideFolder = w.Path(QStringLiteral("guide"));
    QStringList toVisit{guide->CurrentPage()};
    QSet<QString> visited;
    QSet<QString> pictures;
    while (!toVisit.isEmpty()) {
        const QString page = toVisit.takeFirst();
        if (visited.contains(page)) continue;
        visited.insert(page);
        ASSERT_TRUE(guide->ShowPage(page)) << page.toStdString();
        EXPECT_GT(guide->txt_Page->toPlainText().size(), 100) << page.toStdString();
        const PageLinks links = LinksOf(*guide->txt_Page);
        for (const QString& target : links.pages) {
            EXPECT_TRUE(target.startsWith(guideFolder + u'/') && QFileInfo(target).isFile())
                << page.toStdString() << " links to " << target.toStdString();
            if (target.endsWith(QStringLiteral(".md"))) toVisit << target;
        }
        for (const QString& picture : links.pictures) {
            EXPECT_FALSE(QImage(picture).isNull())
                << page.toStdString() << " shows " << picture.toStdString();
            pictures.insert(picture);
        }
        EXPECT_TRUE(links.web.isEmpty()) << page.toStdString() << " links to the web";
    }
    // Every page of the guide is reached, and it has pictures.
    QDir pagesFolder(guideFolder);
    for (const QString& name : pagesFolder.entryList({QStringLiteral("*.md")}, QDir::Files))
        EXPECT_TRUE(visited.contains(pagesFolder.filePath(name))) << name.toStdString() << " is not linked";
    EXPECT_GE(pictures.size(), 5);
}

TEST(UserGuide, ButtonsKeysAndTheWebPageItems) {
    TestWindow w;
    CopyGuideTo(w.dir.path());
    // The two web-page items have no address yet: each opens the guide, in one window.
    w->Menu_Source_Click();
    GuideFrm* guide = w->Guide();
    ASSERT_NE(guide, nullptr);
    w->Menu_Hp_Click();
    EXPECT_EQ(w->Guide(), guide);
    const QString index = guide->CurrentPage();
    EXPECT_TRUE(index.endsWith(QStringLiteral("guide/index.md")));
    EXPECT_FALSE(guide->btn_Back->isEnabled());

    // A click on the contents' link to the editor page: that page, then back, forward and the contents.
    const QString editorPage = QFileInfo(index).dir().filePath(QStringLiteral("editor.md"));
    const QPoint link = LinkPlace(*guide->txt_Page, QStringLiteral("editor.md"));
    ASSERT_FALSE(link.isNull());
    guide->activateWindow();
    QTest::mouseClick(guide->txt_Page->viewport(), Qt::LeftButton, Qt::NoModifier, link);
    ASSERT_TRUE(WaitFor([&] { return guide->CurrentPage() == editorPage; }))
        << guide->CurrentPage().toStdString();
    EXPECT_EQ(guide->CurrentPage(), editorPage);
    EXPECT_TRUE(guide->txt_Page->toPlainText().startsWith(QStringLiteral("エディタ")));
    EXPECT_EQ(guide->windowTitle(), QStringLiteral("使い方ガイド - エディタ"));
    EXPECT_TRUE(guide->btn_Back->isEnabled());
    guide->btn_Back->click();
    EXPECT_EQ(guide->CurrentPage(), index);
    EXPECT_TRUE(guide->btn_Forward->isEnabled());
    guide->btn_Forward->click();
    EXPECT_EQ(guide->CurrentPage(), editorPage);
    guide->btn_Contents->click();
    EXPECT_EQ(guide->CurrentPage(), index);
    QTest::keyClick(guide->txt_Page, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(guide->CurrentPage(), editorPage);

    // Esc closes the window (the editor keeps its text); the next item opens a new one.
    w->txt_Macro->setPlainText(QStringLiteral("PRINT 1"));
    QPointer<GuideFrm> closing = guide;
    guide->activateWindow();
    QTest::keyClick(guide->txt_Page, Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&] { return closing.isNull(); }));
    EXPECT_EQ(w->EditorText(), QStringLiteral("PRINT 1"));
    w->Menu_Guide_Click();
    ASSERT_NE(w->Guide(), nullptr);
    EXPECT_EQ(w->Guide()->CurrentPage(), index);
}

TEST(UserGuide, Screenshot) {
    TestWindow w;
    CopyGuideTo(w.dir.path());
    w->Menu_Guide_Click();
    GuideFrm* guide = w->Guide();
    ASSERT_NE(guide, nullptr);
    guide->ShowPage(QFileInfo(guide->CurrentPage()).dir().filePath(QStringLiteral("first-macro.md")));
    ASSERT_TRUE(
        WaitFor([&] { return guide->windowHandle() != nullptr && guide->windowHandle()->isExposed(); }));
    QDir().mkpath(QStringLiteral(QM_SCREENSHOT_DIR));
    const QString path = QDir(QStringLiteral(QM_SCREENSHOT_DIR)).filePath(QStringLiteral("guide.png"));
    QImage image;
    // Drawn once the pictures of the page are in: more than a few colours.
    ASSERT_TRUE(WaitFor([&] {
        image = guide->grab().toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4) colours.insert(image.pixel(x, y));
        return colours.size() > 8;
    }));
    EXPECT_TRUE(image.save(path));
}
