// The user guide's window: a text browser that reads the guide's Markdown pages from the disk (Qt draws
// them, so no web browser is needed, the same on every system), and the buttons that move between them.
#include "guide_frm.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int kStartWidth = 760;
constexpr int kStartHeight = 600;

QToolButton* NavigationButton(const QString& name, const QString& caption, const QString& tip) {
    auto* button = new QToolButton;
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(tip);
    button->setAccessibleName(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

bool IsReadablePage(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

} // namespace

QString FindUserGuide(const QString& programDirectory) {
    const QDir folder(programDirectory);
    for (const QString& candidate :
         {QStringLiteral("guide/index.md"), QStringLiteral("../share/doc/quillonmacro/guide/index.md")}) {
        const QString path = QDir::cleanPath(folder.filePath(candidate));
        if (IsReadablePage(path)) return path;
    }
    return {};
}

GuideFrm::GuideFrm(const QString& indexPage, QWidget* parent)
    : QWidget(parent, Qt::Window), indexPage_(indexPage) {
    setObjectName(QStringLiteral("GuideFrm"));
    setWindowTitle(QStringLiteral("使い方ガイド"));
    btn_Back = NavigationButton(QStringLiteral("btn_Back"), QStringLiteral("戻る"), QStringLiteral("Alt+←"));
    btn_Forward =
        NavigationButton(QStringLiteral("btn_Forward"), QStringLiteral("進む"), QStringLiteral("Alt+→"));
    btn_Contents =
        NavigationButton(QStringLiteral("btn_Contents"), QStringLiteral("目次"), QStringLiteral("Alt+↑"));
    btn_Back->setEnabled(false);
    btn_Forward->setEnabled(false);

    txt_Page = new QTextBrowser;
    txt_Page->setObjectName(QStringLiteral("txt_Page"));
    txt_Page->setAccessibleName(QStringLiteral("使い方ガイド"));
    // Links between the guide's pages open here; web addresses go to the desktop's browser.
    txt_Page->setOpenLinks(true);
    txt_Page->setOpenExternalLinks(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btn_Back);
    buttons->addWidget(btn_Forward);
    buttons->addWidget(btn_Contents);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(txt_Page);

    connect(btn_Back, &QToolButton::clicked, this, &GuideFrm::btn_Back_Click);
    connect(btn_Forward, &QToolButton::clicked, this, &GuideFrm::btn_Forward_Click);
    connect(btn_Contents, &QToolButton::clicked, this, &GuideFrm::btn_Contents_Click);
    connect(txt_Page, &QTextBrowser::backwardAvailable, btn_Back, &QToolButton::setEnabled);
    connect(txt_Page, &QTextBrowser::forwardAvailable, btn_Forward, &QToolButton::setEnabled);
    connect(txt_Page, &QTextBrowser::sourceChanged, this, &GuideFrm::txt_Page_SourceChanged);
    resize(kStartWidth, kStartHeight);
    ShowPage(indexPage_);
}

bool GuideFrm::ShowPage(const QString& path) {
    if (!IsReadablePage(path)) return false;
    txt_Page->setSource(QUrl::fromLocalFile(path), QTextDocument::MarkdownResource);
    return true;
}

QString GuideFrm::CurrentPage() const {
    return txt_Page->source().toLocalFile();
}

void GuideFrm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void GuideFrm::btn_Back_Click() {
    txt_Page->backward();
}

void GuideFrm::btn_Forward_Click() {
    txt_Page->forward();
}

void GuideFrm::btn_Contents_Click() {
    ShowPage(indexPage_);
}

// The caption names the page: its first heading, which every page of the guide starts with.
void GuideFrm::txt_Page_SourceChanged(const QUrl&) {
    const QString heading = txt_Page->document()->firstBlock().text().trimmed();
    setWindowTitle(heading.isEmpty() ? QStringLiteral("使い方ガイド")
                                     : QStringLiteral("使い方ガイド - ") + heading);
}
