#include "extensions/DragLink.h"

#include "runtime/Browse.h"
#include "runtime/Dialogs.h"
#include "runtime/FileManager.h"
#include "runtime/RelationManager.h"
#include "runtime/ViewManager.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QRandomGenerator>

namespace SDD {

QString DRAGANDDROPCLASS::mimeType()
{
    return QStringLiteral("application/x-velmora-drag-id");
}

DRAGANDDROPCLASS::~DRAGANDDROPCLASS()
{
    KILL();
}

void DRAGANDDROPCLASS::INIT(QAbstractItemView* dragControl, QAbstractItemView* dropControl, const QString& id)
{
    ID = id.trimmed().isEmpty() ? QStringLiteral(" ") : id.trimmed();
    DRAGCONTROL = dragControl;
    DROPCONTROL = dropControl;
    if (dragControl)
        dragControl->viewport()->installEventFilter(this);
    if (dropControl) {
        dropControl->setAcceptDrops(true);
        dropControl->viewport()->setAcceptDrops(true);
        dropControl->viewport()->installEventFilter(this);
    }
}

void DRAGANDDROPCLASS::KILL()
{
    if (DRAGCONTROL)
        DRAGCONTROL->viewport()->removeEventFilter(this);
    if (DROPCONTROL)
        DROPCONTROL->viewport()->removeEventFilter(this);
    DRAGCONTROL = nullptr;
    DROPCONTROL = nullptr;
}

void DRAGANDDROPCLASS::SHOWBARS(bool show)
{
    for (QAbstractItemView* v : {DRAGCONTROL.data(), DROPCONTROL.data()})
        if (v)
            v->setSelectionMode(show ? QAbstractItemView::SingleSelection : QAbstractItemView::NoSelection);
}

void DRAGANDDROPCLASS::startDrag()
{
    auto* data = new QMimeData;
    data->setData(mimeType(), ID.toUtf8());
    data->setText(QString::number(m_pressRow));
    QDrag drag(DRAGCONTROL);
    drag.setMimeData(data);
    drag.exec(Qt::MoveAction | Qt::CopyAction);
}

bool DRAGANDDROPCLASS::takeDrop(const QMimeData* data, const QPoint& pos)
{
    if (!data || !DROPCONTROL || QString::fromUtf8(data->data(mimeType())) != ID)
        return false;
    bool ok = false;
    DRAGGEDROW = data->text().toInt(&ok);
    if (!ok)
        DRAGGEDROW = -1;
    DROPPOS = pos;
    if (SETSELECTED) {
        const QModelIndex at = DROPCONTROL->indexAt(pos);
        if (at.isValid())
            DROPCONTROL->setCurrentIndex(at);
    }
    // The drag ends on a matching target, then the drop is taken: the dragged record is
    // loaded before the link is made from it.
    DRAG();
    DROP();
    return true;
}

bool DRAGANDDROPCLASS::dropRow(int row, const QPoint& pos)
{
    QMimeData data;
    data.setData(mimeType(), ID.toUtf8());
    data.setText(QString::number(row));
    return takeDrop(&data, pos);
}

bool DRAGANDDROPCLASS::eventFilter(QObject* watched, QEvent* event)
{
    if (DRAGCONTROL && watched == DRAGCONTROL->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* m = static_cast<QMouseEvent*>(event);
            if (m->button() == Qt::LeftButton) {
                m_pressAt = m->position().toPoint();
                const QModelIndex at = DRAGCONTROL->indexAt(m_pressAt);
                m_pressRow = at.isValid() ? at.row() : -1;
            }
        } else if (event->type() == QEvent::MouseMove) {
            auto* m = static_cast<QMouseEvent*>(event);
            if ((m->buttons() & Qt::LeftButton) && m_pressRow >= 0 &&
                (m->position().toPoint() - m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
                startDrag();
                m_pressRow = -1;
                return true;
            }
        }
    }
    if (DROPCONTROL && watched == DROPCONTROL->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* d = static_cast<QDragMoveEvent*>(event);
            if (QString::fromUtf8(d->mimeData()->data(mimeType())) == ID) {
                d->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* d = static_cast<QDropEvent*>(event);
            if (takeDrop(d->mimeData(), d->position().toPoint())) {
                d->acceptProposedAction();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------

namespace {

// A field of the record buffer as text, and back.
QString fieldText(vrt::FileManager& fm, int field)
{
    const vrt::FieldDesc& f = fm.FILE->fields[size_t(field)];
    switch (f.kind) {
    case vrt::FieldKind::Long:
    case vrt::FieldKind::Date:
    case vrt::FieldKind::Time: return QString::number(*static_cast<int32_t*>(f.at(fm.BUFFER)));
    case vrt::FieldKind::Byte: return QString::number(*static_cast<uint8_t*>(f.at(fm.BUFFER)));
    case vrt::FieldKind::Text:
    case vrt::FieldKind::Decimal: return QString::fromStdString(*static_cast<std::string*>(f.at(fm.BUFFER)));
    default: return {};
    }
}

void setFieldText(vrt::FileManager& fm, int field, const QString& value)
{
    const vrt::FieldDesc& f = fm.FILE->fields[size_t(field)];
    switch (f.kind) {
    case vrt::FieldKind::Long:
    case vrt::FieldKind::Date:
    case vrt::FieldKind::Time: *static_cast<int32_t*>(f.at(fm.BUFFER)) = value.toInt(); break;
    case vrt::FieldKind::Byte: *static_cast<uint8_t*>(f.at(fm.BUFFER)) = uint8_t(value.toUInt()); break;
    case vrt::FieldKind::Text:
    case vrt::FieldKind::Decimal: *static_cast<std::string*>(f.at(fm.BUFFER)) = value.left(f.maxChars()).toStdString(); break;
    default: break;
    }
}

int fieldOf(vrt::FileManager* fm, const QString& label)
{
    if (!fm)
        return -1;
    const QString prefix = label.section(QLatin1Char(':'), 0, 0);
    if (prefix.compare(QString::fromStdString(fm->FILE->prefix), Qt::CaseInsensitive) != 0)
        return -1;
    return fm->FILE->fieldIndex(label.section(QLatin1Char(':'), 1).toStdString());
}

// The two directions of a relation, each a drag-and-drop pair that calls back.
class Direction : public DRAGANDDROPCLASS {
public:
    Direction(M2M_CLASS& owner, bool forward) : m_owner(owner), m_forward(forward) {}
    void DRAG() override
    {
        if (m_forward)
            m_owner.PREJOIN();
        else
            m_owner.SEPARATE();
    }
    void DROP() override
    {
        if (m_forward)
            m_owner.JOIN();
    }

private:
    M2M_CLASS& m_owner;
    bool m_forward;
};

} // namespace

M2M_CLASS::~M2M_CLASS()
{
    KILL();
}

void M2M_CLASS::INIT(std::function<QString()> filterExpr)
{
    m_filter = std::move(filterExpr);
}

void M2M_CLASS::ADDENTITY(const QString& side, const Side& entity)
{
    if (side == QLatin1String("F"))
        F = entity;
    else if (side == QLatin1String("T"))
        T = entity;
}

bool M2M_CLASS::ADDPAIR(const QString& left, const QString& right)
{
    const int l = fieldOf(F.FM, left);
    const int r = fieldOf(T.FM, right);
    if (l < 0 || r < 0)
        return false;
    m_pairs.push_back({l, r, {}});
    return true;
}

void M2M_CLASS::INITDD(bool bothWays)
{
    const QString id = QStringLiteral("SDD%1").arg(QRandomGenerator::global()->bounded(100000, 1000000));
    auto forward = std::make_unique<Direction>(*this, true);
    forward->INIT(F.C, T.C, id + QLatin1Char('F'));
    FWDMGR = std::move(forward);
    if (bothWays) {
        auto backward = std::make_unique<Direction>(*this, false);
        backward->INIT(T.C, F.C, id + QLatin1Char('B'));
        BWDMGR = std::move(backward);
    }
}

bool M2M_CLASS::ISUSED()
{
    if (!m_filter || !T.FM)
        return false;
    const QString filter = m_filter();
    if (filter.trimmed().isEmpty())
        return false;
    // The link file's buffer is the "to" list's: it is kept as it was.
    const vrt::RecordOps& ops = T.FM->FILE->ops;
    std::unique_ptr<void, void (*)(void*)> saved(ops.make(), ops.destroy);
    ops.copy(saved.get(), T.FM->BUFFER);
    vrt::ViewManager view(*T.FM);
    view.SetFilter(filter.toStdString());
    const bool used = view.Open() == vrt::NoError && view.Next() == vrt::NoError;
    view.Close();
    ops.copy(T.FM->BUFFER, saved.get());
    return used;
}

void M2M_CLASS::copyLeftToBuffer()
{
    for (Pair& p : m_pairs)
        p.buffered = fieldText(*F.FM, p.left);
}

void M2M_CLASS::copyBufferToRight()
{
    for (const Pair& p : m_pairs)
        setFieldText(*T.FM, p.right, p.buffered);
}

void M2M_CLASS::copyRightToBuffer()
{
    for (Pair& p : m_pairs)
        p.buffered = fieldText(*T.FM, p.right);
}

void M2M_CLASS::copyBufferToLeft()
{
    for (const Pair& p : m_pairs)
        setFieldText(*F.FM, p.left, p.buffered);
}

void M2M_CLASS::PREJOIN()
{
    if (!F.B || !F.FM || !FWDMGR)
        return;
    const int row = FWDMGR->DRAGGEDROW;
    if (row < 0 || !F.B->source().load(F.B->model().idAt(row)))
        return;
    copyLeftToBuffer();
}

void M2M_CLASS::JOIN()
{
    if (!T.FM || !T.B)
        return;
    // The data layer stores a primed record at once: the link exists from here on, and a
    // refused link takes its number back.
    T.FM->clearBuffer();
    primeLink();
    if (T.FM->PrimeRecord(true) != vrt::NoError)
        return;
    copyBufferToRight();
    if (BEFOREJOINING() || T.FM->Update() != vrt::NoError) {
        T.FM->CancelAutoInc(T.RM);
        return;
    }
    T.B->resetFromView();
    if (m_filter && F.B)
        F.B->resetFromView();
}

void M2M_CLASS::SEPARATE()
{
    if (!T.B || !T.FM || !BWDMGR)
        return;
    const int row = BWDMGR->DRAGGEDROW;
    if (row < 0 || !T.B->source().load(T.B->model().idAt(row)))
        return;
    if (m_filter)
        copyRightToBuffer();
    if (BEFORESEPARATING())
        return;
    const int rc = T.RM ? T.RM->Delete(false) : T.FM->DeleteRecord();
    if (rc != vrt::NoError)
        return;
    if (m_filter && F.B)
        F.B->resetFromView();
    T.B->resetFromView();
}

void M2M_CLASS::KILL()
{
    FWDMGR.reset();
    BWDMGR.reset();
}

} // namespace SDD
