#pragma once
#include <QAbstractSlider>

namespace chrome {

// A scroll bar's action as the chrome's panels number their scroll steps: 0 line up, 1 line
// down, 2 page up, 3 page down, 5 dragged, 6 to the top, 7 to the bottom; -1 for none.
inline int scrollCode(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return 0;
    case QAbstractSlider::SliderSingleStepAdd: return 1;
    case QAbstractSlider::SliderPageStepSub: return 2;
    case QAbstractSlider::SliderPageStepAdd: return 3;
    case QAbstractSlider::SliderMove: return 5;
    case QAbstractSlider::SliderToMinimum: return 6;
    case QAbstractSlider::SliderToMaximum: return 7;
    default: return -1;
    }
}

} // namespace chrome
