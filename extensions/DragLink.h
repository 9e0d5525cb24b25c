#pragma once
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QAbstractItemView;
class QMimeData;

namespace vrt {
class Browse;
class FileManager;
class RelationManager;
} // namespace vrt

namespace SDD {

// Rows dragged from one list and dropped on another. A drag ID pairs the two: a drop that
// carries another pair's ID is not this pair's. Derived classes override DRAG (the drag
// ended on a matching target; the dragged row is DRAGGEDROW) and DROP.
class DRAGANDDROPCLASS : public QObject {
    Q_OBJECT
public:
    explicit DRAGANDDROPCLASS(QObject* parent = nullptr) : QObject(parent) {}
    ~DRAGANDDROPCLASS() override;

    void INIT(QAbstractItemView* dragControl, QAbstractItemView* dropControl, const QString& id);
    void KILL();
    // The selection bar of both lists shown or not.
    void SHOWBARS(bool show);

    virtual void DRAG() {}
    virtual void DROP() {}

    // Drops `row` of the drag list at `pos` of the drop list's viewport, as a mouse drop does.
    bool dropRow(int row, const QPoint& pos);
    // A drop of `data` at `pos`: false when it is not this pair's.
    bool takeDrop(const QMimeData* data, const QPoint& pos);

    static QString mimeType();

    QString ID;
    QPointer<QAbstractItemView> DRAGCONTROL;
    QPointer<QAbstractItemView> DROPCONTROL;
    bool SETSELECTED = false;
    int DRAGGEDROW = -1;
    QPoint DROPPOS; // where the drop arrived, in the drop list's viewport

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startDrag();
    QPoint m_pressAt;
    int m_pressRow = -1;
};

// A many-to-many relation shown as two lists: dragging a record of the "from" list onto the
// "to" list adds a link record made from it (the pairs copy its fields); dragging a link
// back from the "to" list, when both ways are on, deletes the link.
class M2M_CLASS {
public:
    struct Side {
        vrt::RelationManager* RM = nullptr;
        vrt::FileManager* FM = nullptr;
        vrt::Browse* B = nullptr;
        QAbstractItemView* C = nullptr;
    };

    virtual ~M2M_CLASS();

    // `filterExpr`: a filter over the link file that lists the links of the current "from"
    // record (empty: none); with it, a linked record leaves the "from" list's view of things.
    void INIT(std::function<QString()> filterExpr = {});
    // Side "F" (from) or "T" (to); anything else is ignored.
    void ADDENTITY(const QString& side, const Side& entity);
    // A field of the "from" record and the link record's field it goes to ("PRU:ID",
    // "IDS:PROIZVODUSLUGAID"); false when either is unknown.
    bool ADDPAIR(const QString& left, const QString& right);
    void INITDD(bool bothWays);
    bool ISUSED();
    void PREJOIN();
    void JOIN();
    void SEPARATE();
    void KILL();

    // True refuses the link / the unlink.
    virtual bool BEFOREJOINING() { return false; }
    virtual bool BEFORESEPARATING() { return false; }
    // Sets a new link record's own fields (its parent) before the pairs are copied; a link
    // made of the pairs alone needs nothing more.
    virtual void primeLink() {}

    Side F, T;
    std::unique_ptr<DRAGANDDROPCLASS> FWDMGR, BWDMGR;

private:
    struct Pair {
        int left = -1, right = -1;
        QString buffered;
    };
    void copyLeftToBuffer();
    void copyBufferToRight();
    void copyRightToBuffer();
    void copyBufferToLeft();
    std::vector<Pair> m_pairs;
    std::function<QString()> m_filter;
};

} // namespace SDD
