#pragma once
#include <QString>
#include <QVariant>
#include <Qt>

#include <functional>
#include <vector>

namespace vrt {
class Browse;
class FileManager;
class RelationManager;
namespace odbc { class Connection; }
} // namespace vrt

// Marking several records of a browse list in the manner of a file list: click marks one,
// Ctrl+click toggles, Shift+click marks a run from the anchor, Shift with the arrow, page,
// Home and End keys extends or shrinks the run, Space marks only the current record and
// Ctrl+A marks every record of the list. The marks are record identifiers, so they survive
// scrolling, re-sorting and reading the list again. No widgets here: WinMarkView turns the
// list's mouse and keys into these calls and paints the marks.
namespace ext {

// Told whenever the marks changed (the list repaints).
class WinMarkWatcher {
public:
    virtual ~WinMarkWatcher() = default;
    virtual void changed() = 0;
};

class WINMARKCLASS {
public:
    WINMARKCLASS() = default;
    virtual ~WINMARKCLASS() = default;
    WINMARKCLASS(const WINMARKCLASS&) = delete;
    WINMARKCLASS& operator=(const WINMARKCLASS&) = delete;

    // `relate` deletes the marked records (children first); without it the list's source
    // deletes them. `transaction` is the connection whose one transaction holds all deletes of
    // DELETEMARKEDRECORDS (default: the relation manager's).
    void INIT(vrt::Browse& browse, vrt::RelationManager* relate = nullptr,
              vrt::odbc::Connection* transaction = nullptr);
    void KILL() { MARKQ.clear(); }

    // The marked records' identifiers, in the order they were marked.
    std::vector<QVariant> MARKQ;
    QVariant SAVEID;      // the far end of a Shift+arrow run (invalid: none)
    QVariant SAVELOCALID; // the record to come back to after a look-up
    QVariant SAVEPOS;     // the anchor of Shift runs

    // The Part's virtual slots; a derived class keeps totals or acts on each marked record.
    virtual void ADDRECORDID();
    virtual void CALCULATETOTALS(bool adding) { (void)adding; }
    virtual void CLEARTOTALS() {}
    // Reads record `id` into the record buffer: 0 read, 3 gone.
    virtual int GETFILE(const QVariant& id);
    // 0 when the current record is marked, 3 when not (or when there is none).
    virtual int GETRECORDID();
    virtual void SAVELOCALRECORDID() { SAVELOCALID = currentId(); }
    virtual void SAVERECORDID() { SAVEID = currentId(); }
    virtual void TAKEMARKEDRECORD() {}
    virtual void UNMARKALL();

    void MARKALL();
    // TAKEMARKEDRECORD for every marked record that can still be read.
    void PROCESSMARKEDRECORDS();
    // Deletes the marked records after one question (the relation manager's own for a single
    // mark), all in one transaction: a failure leaves every record in place. Answers the
    // number of records deleted; -1 when refused, cancelled or failed.
    int DELETEMARKEDRECORDS();
    // Whether row `row` of the list is marked (what the list shows in its mark column).
    bool SETQUEUERECORD(int row) const;
    bool isMarked(const QVariant& id) const;

    // Events of the list. `row` is the row clicked (it becomes the selected row).
    void click(int row, Qt::KeyboardModifiers modifiers);
    // A key on the list: moves the selection as the list would and marks. `pageRows` is the
    // number of rows one page holds. False: not a marking key, the list handles it.
    bool takeKey(int key, Qt::KeyboardModifiers modifiers, int pageRows = 10);

    // Who is told of changes (WinMarkView attaches itself); null: nobody. The watcher must
    // outlive its attachment.
    void setWatcher(WinMarkWatcher* watcher) { m_watcher = watcher; }
    // The identifier of the record in row `row` (the list's record id; see WINMARKCLASSKEY).
    virtual QVariant recordIdAt(int row);

protected:
    QVariant currentId();
    vrt::Browse* browse() const { return m_browse; }
    vrt::RelationManager* relate() const { return m_relate; }

private:
    void toggleCurrent();
    void markOnlyCurrent();
    void stepRunOnto(int row);
    void markRun(int from, int to); // rows from..to in either direction, walked downwards
    void removeMark(const QVariant& id);
    void refresh();
    int rowOfMark(const QVariant& id);
    bool moveTo(int row);

    vrt::Browse* m_browse = nullptr;
    vrt::RelationManager* m_relate = nullptr;
    vrt::odbc::Connection* m_connection = nullptr;
    WinMarkWatcher* m_watcher = nullptr;
};

// The same marking with records identified by the value of a unique key field: the value
// is kept as it is (text or number), and a mark whose record can no longer be fetched by it
// is skipped, never acted on with a stale buffer.
class WINMARKCLASSKEY : public WINMARKCLASS {
public:
    // `file` fetches by `uniqueKey`; `getKey`/`setKey` read and write the key field in the
    // record buffer.
    void INITKEY(vrt::FileManager& file, int uniqueKey, std::function<QVariant()> getKey,
                 std::function<void(const QVariant&)> setKey);
    int GETFILE(const QVariant& id) override;
    QVariant recordIdAt(int row) override;

private:
    vrt::FileManager* m_file = nullptr;
    int m_key = -1;
    std::function<QVariant()> m_getKey;
    std::function<void(const QVariant&)> m_setKey;
};

} // namespace ext
