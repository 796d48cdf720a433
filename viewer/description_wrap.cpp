// The layout of the description box. The toolkit's word-boundary wrapping measures the rest of a run at every
// line it makes of it, so a run without a break opportunity costs time in the square of its length.
#include "description_wrap.h"

#include <QTextBoundaryFinder>

bool HasUnbreakableRun(const QString& text, qsizetype longest) {
    if (text.size() <= longest) return false;
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    qsizetype last = 0;
    for (qsizetype at = breaks.toNextBoundary(); at >= 0; at = breaks.toNextBoundary()) {
        if (at - last > longest) return true;
        last = at;
    }
    return text.size() - last > longest;
}

QTextOption::WrapMode DescriptionWrapMode(const QString& text) {
    if (text.size() > kLongestOrdinaryText || HasUnbreakableRun(text)) return QTextOption::WrapAnywhere;
    return QTextOption::WrapAtWordBoundaryOrAnywhere;
}

QFont::StyleStrategy DescriptionStyleStrategy(const QString& text, QFont::StyleStrategy own) {
    if (text.size() > kLongestOrdinaryText) return QFont::StyleStrategy(own | QFont::PreferNoShaping);
    return QFont::StyleStrategy(own & ~QFont::PreferNoShaping);
}
