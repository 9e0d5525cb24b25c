#pragma once
#include <QObject>
#include <QStyledItemDelegate>

#include "extensions/WinMark.h"

namespace vrt { class BrowseView; }

namespace ext {

// Puts a WINMARKCLASS on a browse view: clicks and the marking keys of the list go to the
// marks (the view's own selection only follows the current row), marked rows are painted in
// the highlight colour, Delete removes the marked records and the list's popup menu gets
// "Mark all" and "Delete marked". Owned by the view.
class WinMarkView : public QObject, private WinMarkWatcher {
    Q_OBJECT
public:
    WinMarkView(vrt::BrowseView& view, WINMARKCLASS& marks);
    ~WinMarkView() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void changed() override; // repaints the marks
    int pageRows() const;
    vrt::BrowseView& m_view;
    WINMARKCLASS& m_marks;
};

// Paints the rows the marks hold as selected rows.
class WinMarkDelegate : public QStyledItemDelegate {
public:
    WinMarkDelegate(WINMARKCLASS& marks, QObject* parent) : QStyledItemDelegate(parent), m_marks(marks) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    WINMARKCLASS& m_marks;
};

} // namespace ext
