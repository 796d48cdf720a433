// GuideFrm, the window that shows the user guide: its Markdown pages read from the disk, with back, forward
// and contents buttons; links between the pages open in the window, web addresses in the desktop's browser.
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;
class QToolButton;
class QUrl;

// The guide's first page (guide/index.md beside the program, as in the build folder, the portable folder
// and on Windows; else ../share/doc/quillonmacro/guide/index.md of an install), or "" when neither exists.
QString FindUserGuide(const QString& programDirectory);

class GuideFrm : public QWidget {
    Q_OBJECT

  public:
    // Shows the guide whose first page is `indexPage`.
    explicit GuideFrm(const QString& indexPage, QWidget* parent = nullptr);

    // Shows a page of the guide (a Markdown file); false when it cannot be read.
    bool ShowPage(const QString& path);
    // The page shown, as a local file path.
    QString CurrentPage() const;

    QTextBrowser* txt_Page = nullptr;
    QToolButton *btn_Back = nullptr, *btn_Forward = nullptr, *btn_Contents = nullptr;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void btn_Back_Click();
    void btn_Forward_Click();
    void btn_Contents_Click();
    void txt_Page_SourceChanged(const QUrl& source);

    QString indexPage_;
};
