#pragma once
#include "extensions/QbeFilter.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QWidget;
namespace vrt { class Browse; }

namespace DTRV {

class GLOBALCLASS;

// A view the query narrows: how its filter is set, how it is read again and closed. A
// browse list or a view manager is adapted to this by its caller.
class QbeView {
public:
    virtual ~QbeView() = default;
    virtual void setFilter(const QString& filter) = 0;
    virtual void reset() = 0;
    virtual void close() = 0;
};

// A browse list narrowed by the query: only its filter is set; reading it again and closing
// it stay the list's own business.
class QbeBrowseFilter : public QbeView {
public:
    explicit QbeBrowseFilter(vrt::Browse& browse) : m_browse(browse) {}
    void setFilter(const QString& filter) override;
    void reset() override {}
    void close() override {}

private:
    vrt::Browse& m_browse;
};

// Query by example: the searchable fields of one or more views, each with the user's
// criteria, turned into one filter on the view.
class SEARCHCLASS {
public:
    struct Criterion : QbeCriterion {
        QString DISPLAY; // what the lists show
    };
    struct Field {
        QString DISPLAY, FILE, PREFIX, NAME;
        int TYPE = FIELD_STRING;
        QString PICTURE, PROMPT;
        bool USEMATCH = false;
        int VIEWID = 0;
        std::vector<Criterion> CRITERION;
        int CRITERIACOUNT() const { return int(CRITERION.size()); }
        QbeField filterField() const { return {PREFIX, NAME, TYPE, PICTURE, USEMATCH}; }
    };

    virtual ~SEARCHCLASS() = default;

    void INIT(GLOBALCLASS& global, const QString& source, const QString& interfaceCode = {},
              int defString = MATCHTYPE_BEGINSWITH, int defNumber = MATCHTYPE_EQUALS,
              int defPicture = MATCHTYPE_EQUALS, int defDate = MATCHTYPE_EQUALS,
              int defOption = MATCHTYPE_EQUALS, int defCheck = MATCHTYPE_EQUALS,
              int defText = MATCHTYPE_CONTAINS);
    void KILL();

    // The view must outlive the search (or its KILL).
    int ADDVIEW(QbeView& view);
    void ADDFIELD(const QString& file, const QString& prefix, const QString& name, const QString& display,
                  int type, const QString& picture = {}, const QString& prompt = {}, bool useMatch = false);
    // 0 when the field exists (it becomes current), 5 when not.
    int SETFIELD(const QString& file, const QString& name);
    void RESETFIELD() { FIELDINDEX = 1; }
    int NEXTFIELD();
    Field* currentField();
    std::vector<Field>& fields() { return m_fields; }
    int currentFieldIndex() const { return m_current; }
    void setCurrentFieldIndex(int index) { m_current = index; }

    // Adds a criterion to the current field, prepared and described.
    void ADDCRITERION(std::optional<int> type = {}, std::optional<QString> value = {},
                      std::optional<QString> limit = {});
    // Replaces criterion `index` of the current field the same way.
    void PUTCRITERION(int index, const QbeCriterion& criterion);
    void CLEANALLCRITERIA();
    void EMPTYALLCRITERIA();
    int CHECKCRITERIONENTERED();

    void OPENVIEW();
    void CLOSEVIEW();
    virtual void APPLYFILTER();
    virtual void FORMATFILTER(QString& filter);

    // Storing and loading of criteria sets, for derived classes. Here nothing is stored:
    // they answer 1 (not done), and the windows offer Load and Save only when canLoadSave().
    virtual int LOAD(int which = 0);
    virtual int SAVE(int which = 0);
    virtual bool canLoadSave() const { return false; }
    // Marking hooks for derived classes.
    virtual QString FSTTAG() { return {}; }
    virtual void NEWTAG() {}
    virtual void SETTAG() {}
    virtual void CLRTAG() {}
    virtual void STREAMFILE() {}
    virtual void FLUSHFILE() {}
    virtual void SUMMARIZECRITERIA() {}
    virtual int CHECKHIDDENCRITERIA() { return 0; }

    // The five-step wizard; 0 on Finish, 3 when cancelled.
    int RUNWIZARD(QWidget* parent = nullptr);

    // The match type a new criterion of `fieldType` gets.
    int defaultMatch(int fieldType) const;
    // The text a criterion shows in lists.
    QString describe(const Field& field, const QbeCriterion& criterion) const;
    // A value as the field's picture shows it (dates as day.month.year).
    static QString formatValue(const Field& field, const QString& value);

    GLOBALCLASS* GLOBAL = nullptr;
    QString SOURCE;
    QString INTERFACE;
    bool SUPPORTSELECT = false;
    bool SUPPORTUNSELECT = false;
    bool ALWAYSCLEARTAGS = false;
    QString HELPID_CRITERIA;
    QString LASTSORTCHAR = QStringLiteral("~");
    QString FILTER;
    int FIELDINDEX = 0;
    int WIZARDPAGE = 1;
    int DEFAULTMATCH_STRING = 0, DEFAULTMATCH_NUMBER = 0, DEFAULTMATCH_PICTURE = 0, DEFAULTMATCH_DATE = 0,
        DEFAULTMATCH_OPTION = 0, DEFAULTMATCH_CHECK = 0, DEFAULTMATCH_TEXT = 0;
    // The settings file whose "Dentravo" section may ask for the filter to be shown
    // (ShowFilter) or copied to the clipboard (CopyFilter); empty: none.
    QString SETTINGSFILE;

private:
    Criterion prepared(const Field& field, QbeCriterion c) const;
    std::vector<QbeView*> m_views;
    std::vector<Field> m_fields;
    int m_current = -1;
};

} // namespace DTRV
