#include "labelheight.h"

#include <QLabel>

#include <algorithm>

namespace LabelHeight
{

void fitToFont(QLabel *label)
{
    // Some fonts have a negative leading: their line spacing is less than the glyphs' height.
    const QFontMetrics metrics = label->fontMetrics();
    const int needed = std::max(metrics.height(), metrics.lineSpacing()) + 2 * label->margin() +
                       2 * label->frameWidth();
    const int height = std::max(label->maximumHeight(), needed);
    label->setMinimumHeight(height);
    label->setMaximumHeight(height);
}

} // namespace LabelHeight
