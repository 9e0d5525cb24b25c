#include "procedures/common/ListLayoutView.h"

#include "procedures/common/ListLayout.h"

#include <QEvent>
#include <QHeaderView>
#include <QPointer>
#include <algorithm>

namespace VelmoraDll {

QString S_GetListFormat(const QHeaderView* header)
{
    std::vector<int> widths;
    for (int i = 0; header && i < header->count(); ++i)
        widths.push_back(header->sectionSize(i));
    return encodeWidths(widths);
}

void S_SetListFormat(QHeaderView* header, const QString& layout)
{
    if (!header)
        return;
    const auto widths = decodeWidths(layout, header->count());
    for (size_t i = 0; i < widths.size(); ++i)
        if (widths[i])
            header->resizeSection(static_cast<int>(i), *widths[i]);
}

namespace {

// Keeps the last column with a width reaching the right edge of the list, never narrower than
// its header text, so no strip of the list stays empty.
class LastColumnFill : public QObject {
public:
    explicit LastColumnFill(QHeaderView* header) : QObject(header), m_header(header)
    {
        header->installEventFilter(this);
        connect(header, &QHeaderView::sectionResized, this, [this](int section) {
            if (section != m_last)
                fill();
        });
    }
    void setLast(int column)
    {
        m_last = column;
        fill();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        // The header's own width: its viewport follows only after the header took the event.
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
            fill();
        return false;
    }

private:
    void fill()
    {
        if (m_filling || m_last < 0 || m_last >= m_header->count())
            return;
        int others = 0;
        for (int i = 0; i < m_header->count(); ++i)
            if (i != m_last && !m_header->isSectionHidden(i))
                others += m_header->sectionSize(i);
        const int want = std::max(m_header->sectionSizeHint(m_last), m_header->width() - others);
        m_filling = true;
        m_header->resizeSection(m_last, want);
        m_filling = false;
    }

    QPointer<QHeaderView> m_header;
    int m_last = -1;
    bool m_filling = false;
};

} // namespace

int dialogUnitsToPixels(const QHeaderView* header, int units)
{
    return (units * header->fontMetrics().averageCharWidth() + 2) / 4;
}

void setDesignWidths(QHeaderView* header, const std::vector<int>& units)
{
    int last = -1;
    for (size_t c = 0; c < units.size(); ++c) {
        header->resizeSection(int(c), dialogUnitsToPixels(header, units[c]));
        if (units[c] > 0)
            last = int(c);
    }
    LastColumnFill* fillLast = nullptr;
    for (QObject* child : header->children())
        if (!fillLast)
            fillLast = dynamic_cast<LastColumnFill*>(child);
    if (!fillLast)
        fillLast = new LastColumnFill(header);
    fillLast->setLast(last);
}

void restoreListLayout(QHeaderView* header, const QString& procedure, const QString& listName)
{
    S_SetListFormat(header, readListLayout(procedure, listName));
}

bool saveListLayout(const QHeaderView* header, const QString& procedure, const QString& listName)
{
    return writeListLayout(procedure, listName, S_GetListFormat(header));
}

} // namespace VelmoraDll
