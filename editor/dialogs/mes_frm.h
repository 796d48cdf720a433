// MesFrm: the program's one non-modal message window of MES, a small window with one label, placed and sized
// in twips (1/1440 inch) converted with the screen's logical DPI.
#pragma once

#include <QLabel>
#include <QWidget>

#include <cstdint>

class MesFrm : public QWidget {
    Q_OBJECT

  public:
    static constexpr int32_t kLabelMarginTwips = 120;
    static constexpr int32_t kTwipsPerInch = 1440;

    explicit MesFrm(QWidget* parent = nullptr);

    // Places the window's top left corner (its frame) at the position, in twips on the screen.
    void SetPositionTwips(int32_t leftTwips, int32_t topTwips);
    // Sets the label's text; the label takes the size of its text and the window's height follows it.
    void SetText(const QString& text);
    int32_t LabelLeftTwips() const;
    int32_t LabelWidthTwips() const;
    void SetWidthTwips(int32_t widthTwips);

    QLabel* Label() const { return label_; }

    // Twips to pixels and back with the logical DPI of the window's screen, horizontally or vertically.
    int TwipsToPixelsX(int32_t twips) const;
    int TwipsToPixelsY(int32_t twips) const;
    int32_t PixelsToTwipsX(int pixels) const;

  private:
    void FitHeight();

    QLabel* label_;
};
