#include "runtime/BrowseLocator.h"

#include <QElapsedTimer>
#include <Qt>

namespace vrt {

namespace {
qint64 steadyHundredths()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed() / 10;
}
} // namespace

LocatorText::LocatorText(Clock clock) { setClock(std::move(clock)); }

void LocatorText::setClock(Clock clock) { m_clock = clock ? std::move(clock) : Clock(steadyHundredths); }

void LocatorText::type(const QString& chars)
{
    for (const QChar c : chars) {
        if (c == QChar(8))
            m_text.chop(1);
        else if (m_text.size() < MaxLength)
            m_text.append(c);
    }
    m_lastLetter = m_clock();
}

bool LocatorText::expired() const { return !m_text.isEmpty() && m_clock() - m_lastLetter >= m_clearTime; }

bool LocatorText::clearsOn(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_Home:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
    case Qt::Key_End:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    default:
        return false;
    }
}

bool LocatorText::matches(const QString& cell, const QString& text)
{
    return QStringView(cell).left(MaxLength).startsWith(text, Qt::CaseInsensitive);
}

int LocatorText::findRow(int rows, const std::function<QString(int)>& cellAt, const QString& text)
{
    for (int row = 0; row < rows; ++row)
        if (matches(cellAt(row), text))
            return row;
    return -1;
}

} // namespace vrt
