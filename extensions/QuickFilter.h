#pragma once
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "runtime/PopupMenu.h"

namespace vrt { class Browse; }

// Quick filters on a browse list: standing on a column (or on an entry the window
// registered), the user adds a filter level (equal to the current value, contains the current
// value, contains a typed text or lies in a typed range, wildcard match); levels stack and are
// cancelled one by one or all, and a saved filter can be loaded on top. The result is one
// filter text in the runtime's filter language; the browse translates it into SQL with every
// value bound as a parameter. No widgets here: QuickFilterWindows gives the windows.
namespace ext {

class QuickFilterStore;

// What a quick filter needs of the browse it narrows.
class QuickFilterBrowse {
public:
    virtual ~QuickFilterBrowse() = default;
    // Sets the filter known by `id` (the browse ANDs it with its own); "" removes it.
    virtual void SETFILTER(const QString& filter, const QString& id) = 0;
    virtual void RESETSORT(int force) = 0;
    virtual void SETSORT(int order) = 0; // 1-based
    virtual int records() = 0;
};

// A vrt::Browse as the quick filter's browse: the list's own filter (given at construction)
// stays, the quick filter's text is joined to it with AND.
class BrowseQuickFilterAdapter : public QuickFilterBrowse {
public:
    explicit BrowseQuickFilterAdapter(vrt::Browse& browse);
    void SETFILTER(const QString& filter, const QString& id) override;
    void RESETSORT(int force) override;
    void SETSORT(int order) override;
    int records() override;
    QString combined() const;

private:
    vrt::Browse& m_browse;
    QString m_own;
    std::map<QString, QString> m_filters;
};

// One registered field of a quick filter; `field` gives the record's current value.
struct XFILTERENTRY {
    explicit XFILTERENTRY(std::function<QString()> field = {}) : m_field(std::move(field)) {}
    // The record's current value; empty for an entry without one.
    QString FIELD() const { return m_field ? m_field() : QString(); }

    QString FILTERNAME;   // the field as the filter language knows it ("CON:Prezime")
    QString FIELDDESC;
    int FIELDNUMBER = 0;  // list column, or the field's control + 100
    bool FILTERON = false;
    bool FILTERINSTRING = false;
    int FILTERTYPE = 0;   // 1 equal, 2 contains current, 3 typed text, 4 typed range
    int LASTFILTER = 0;   // the object's LASTFILTER before this level (the level stack)
    QString FIELDPICTURE;
    int FIELDTYPE = 4;    // 1 date, 2 time, 3 number, 4 other, 5 string
    QString FIELDSTRLOW, FIELDSTRHIGH;
    QString FILTERTOFILTER;
    int FIELDCONTROL = 0;
    int FIELDREGION = 0;
    QString FIELDGROUP;
    int FIELDDBLKEY = 0;

private:
    std::function<QString()> m_field;
};

// What a quick filter asks of the window it serves: its windows, message box, status text,
// column headers and the translation of its own texts. A filter with no side attached runs
// without windows: nothing is asked, typed levels are not added.
class QuickFilterSide {
public:
    virtual ~QuickFilterSide() = default;
    // The input window: answers 0 text, 1 range, 2 cancelled; fills low/high.
    virtual int inputWindow(bool wildcard, const XFILTERENTRY& entry, QString& low, QString& high) = 0;
    virtual void saveWindow() = 0;
    virtual void loadWindow() = 0;
    // The region click popup: answers 1..4, 0 cancelled.
    virtual int regionPopup(const QStringList& items) = 0;
    // Shows the popup menu; answers the chosen item's name ("" none).
    virtual QString showPopup(vrt::PopupMenu& menu) = 0;
    // The status text control.
    virtual void showStatus(const QString& text) = 0;
    // A message with an OK button.
    virtual void inform(const QString& text, const QString& caption) = 0;
    // The text of the list's column header `column` (for DESCFROMLISTBOX).
    virtual QString columnHeader(int column) = 0;
    // The window's language for the filter's own texts.
    virtual QString translate(const QString& text) = 0;
};

class XQUICKFILTERCLASS {
public:
    XQUICKFILTERCLASS();
    virtual ~XQUICKFILTERCLASS();
    XQUICKFILTERCLASS(const XQUICKFILTERCLASS&) = delete;
    XQUICKFILTERCLASS& operator=(const XQUICKFILTERCLASS&) = delete;

    struct Keys {
        int enable = 0, enableInstring = 0, enableInstringString = 0, enableWildcard = 0;
        int disable = 0, disableAll = 0, global = 0;
    };
    // The four switches after the texts are kept for callers and have no effect: the filter
    // always takes the plain form of each condition, hides the status and copies its text into
    // `globalFilter` (when given).
    void INIT(int instance, QuickFilterBrowse& browse, const Keys& keys, const QString& enabledText,
              const QString& disabledText, bool, bool, bool, bool, QString* globalFilter = nullptr);
    // `field` gives the record's current value as text. With a `control` the field is an entry
    // of the window (its number becomes control + 100, as wide as it needs). A number that is
    // already registered is refused (false): a key would act on the wrong field.
    bool ADDFIELD(std::function<QString()> field, int fieldNumber, const QString& filterName,
                  const QString& description, const QString& picture, int control = 0,
                  const QString& group = {}, int dblKey = 0);

    virtual void SETFILTER(int = 0);
    // Runs the input window: sets INSTRINGSTRLOW/HIGH and INPUTSTRRES.
    virtual void INPUTSTR(bool wildcard);
    virtual void TAKEDOUBLE(int) {}
    QString REPLACE(const QString& value) const;
    QString UPCASE(const QString& value) const { return USEUPPER ? value.toUpper() : value; }

    // Adding levels on the entry with `fieldNumber`; false when nothing was added.
    bool addEqual(int fieldNumber);
    bool addInstring(int fieldNumber);
    bool addTyped(int fieldNumber);
    bool addWildcard(int fieldNumber);
    bool cancelLast();
    void cancelAllLevels();
    void CANCELALL();
    void CANCELLOADED();
    bool FILTERED() const { return FILTERNUM > 0 || FILTERLOADED; }
    bool FILTERHAND() const { return FILTERNUM > 0; }
    // After the browse was read: no rows left under a filter → "No more records!" and the last
    // level goes.
    void ISBACKONLEVEL();
    void SETSORTGROUPS(int groups) { SORTGROUPS = groups; }
    void SETCURRENTSORT(int sort)
    {
        if (!INSORTPROCESS)
            CURRENTSORT = sort;
    }
    void REMOVEPREFIX(bool on, const QString& delimiter)
    {
        ISREMOVEPREFIX = on;
        PREFIXDELIMITER = delimiter.left(1);
    }
    void GETDESCFROMLISTBOX(bool on) { DESCFROMLISTBOX = on; }
    void SETVORNISET(bool on) { VORNISET = on; }

    // Keys. TAKEKEY: a key on the list with `column` current; true when handled as the Part's
    // cancel answers (no level to cancel) or a level changed.
    bool TAKEKEY(int key, int column);
    // A key on the region over field control `control` (VORNISET 0 only).
    bool TAKEREGIONKEY(int key, int control);
    // A click on the region over `control` with VORNISET set: the four-item choice (1..4).
    bool TAKEREGIONCLICK(int control);
    // SETOPTIONS: keys for cancelling the loaded filter, loading and saving.
    void SETOPTIONS(int cancelLoadedKey, int loadKey, int saveKey);

    // The popup menu: built by GENERATEPOPUP, item states set and asked by EXECUTEGLOBALKEY.
    void GENERATEPOPUP();
    // `choose`: picks the item (by name) instead of showing the menu; empty: shows it.
    void EXECUTEGLOBALKEY(const QString& choose = {});
    // Enables the popup's items as things stand (part of EXECUTEGLOBALKEY).
    void enablePopup();
    void runPopupItem(const QString& name);
    vrt::PopupMenu& popup() { return GPOPUP; }

    // Saved filters.
    void SETFILTERFILENAME(bool saveLoad, const QString& procedureName, const QString& folder, bool showBody);
    void FILLQUEUE();
    void SAVEFILTER();
    void LOADFILTER();
    void LOADDEFFILTER();
    // What the save and load windows do (the windows call these).
    bool saveCurrent(const QString& name, bool makeDefault);
    bool loadSaved(const QString& id, bool clearAll, bool withOr);
    bool toggleDefault(const QString& id);
    bool deleteSaved(const QString& id);
    // The drop list of saved filters: FILLQUEUE, then the entry to select (0-based in FL): the
    // default filter's when a filter is loaded (the last entry when the default is not among
    // them), else "none".
    int SETQUICKLIST();
    // Choosing entry `index` of FL: loads that filter on top of the levels; "none" cancels
    // the loaded one.
    void takeQuickList(int index);
    QString LOADEDFILTERNAME() const { return LOADEDFNAME; }
    bool LOADEDFILTERSTATE() const { return FILTERLOADED; }
    QuickFilterStore* store() { return m_store.get(); }

    // The translator of the object's own texts (its group, then the side's translation).
    QString TRN(const QString& text) const;

    // The windows and the message box (QuickFilterWindows attaches itself; tests script
    // them); null detaches. The side must outlive its attachment.
    void setSide(QuickFilterSide* side);
    QuickFilterSide* side() const { return m_side; }

    // State as the Part names it.
    std::vector<XFILTERENTRY> XFILTER;
    struct FilterRow {
        QString FILTERID, FILTERNAME;
        int FILTERICON = 1, FILTERSTYLE = 1;
        int INSTANCE = 0;
    };
    std::vector<FilterRow> FF;
    struct ListRow {
        QString FILTERNAME, FILTERID;
    };
    std::vector<ListRow> FL;
    int INSTANCE = 0;
    Keys KEYS;
    int CANCELLOADEDKEY = 0, LOADFILTERKEY = 0, SAVEFILTERKEY = 0;
    bool ADDFILTERLEVEL = false;
    int FILTERNUM = 0;
    int LASTFILTER = 0;
    bool USEUPPER = true;
    bool USESQL = true;
    int INPUTSTRRES = 2;
    QString ENABLEQFSTAT, DISABLEQFSTAT;
    QString INSTRINGSTRLOW, INSTRINGSTRHIGH;
    bool ENABLEGLOBALFILTER = true;
    bool VORNISET = false;
    QString GLOBALFILTERSTRING, GLOBALFILTERSTRINGL;
    bool HIDESTATUS = true;
    QString STATUSTEXT; // what the status control shows
    QString FILTERFILENAME, PROCEDURENAME;
    bool FILTERLOADED = false;
    bool ADDWITHOR = false;
    bool SAVELOADFILTERS = false;
    bool SHOWBODY = false;
    struct Default {
        QString ID, PROCEDURENAME;
        int INSTANCE = 0;
        bool ADD = true;
    } DEF;
    QString LOADEDFNAME;
    bool ISREMOVEPREFIX = false;
    bool DESCFROMLISTBOX = false;
    QString PREFIXDELIMITER;
    int SORTGROUPS = 1, CURRENTSORTGROUP = 0, CURRENTSORT = 1, SAVEDCURRENTSORT = 0;
    bool INSORTPROCESS = false;

    static int fieldTypeOf(const QString& picture);
    XFILTERENTRY* entry(int fieldNumber);
    XFILTERENTRY* entryOfRegion(int control);

private:
    enum class Kind { Equal, Instring, Typed, Wildcard };
    bool addLevel(int fieldNumber, Kind kind);
    // The popup and saved-filter keys, alike on the list and on a region.
    bool takeFilterKey(int key);
    QString conditionText(const XFILTERENTRY& e, Kind kind, int type, const QString& value) const;
    bool askInput(bool wildcard, const XFILTERENTRY& e);
    void resetEntry(XFILTERENTRY& e);
    void afterChange();
    QString popupText(const XFILTERENTRY& e) const;
    void sortByNumber();
    void setStatus(const QString& text);

    QuickFilterBrowse* m_browse = nullptr;
    QuickFilterSide* m_side = nullptr;
    QString* m_globalFilter = nullptr;
    vrt::PopupMenu GPOPUP;
    bool m_popupBuilt = false;
    int m_inputField = 0; // the field the input window asks for
    std::map<QString, QString> m_group;
    std::unique_ptr<QuickFilterStore> m_store;
};

} // namespace ext
