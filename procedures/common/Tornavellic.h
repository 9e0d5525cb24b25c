#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "procedures/common/Hyperlinks.h"

class QAbstractItemView;
class QWidget;

namespace VelmoraDll {

// Makes controls, and columns of lists, behave as links: their own colour, a bright colour and
// the hand cursor while the mouse is over them, and the link started by the desktop's handler
// on a click. A window owns one object and registers its links with AddItem.
class Tornavellic : public QObject {
    Q_OBJECT
public:
    struct Item {
        QPointer<QWidget> CONTROL;
        int COLUMN = 0; // lists: the link column (1-based)
        QString URL;    // empty: the control's own text
        int NORMAL = -1;
        int BRIGHT = -1;
        int INACTIVECOLOR = -1;
        int STYLE = 0; // lists: the link style; STYLE + 1 is its bright style
        bool UNDERLINE = false;
        int USEEVENT = 0;
        int WORKING = 0; // 1 while bright; lists: the 1-based row under the mouse
        bool HANDCURSOR = false;
        bool ACTIVE = true;
        int USESTDACTION = 0;
        int SKYPEFUNCTION = 0;
    };

    // Null arguments use the desktop's associations and a detached xdg-open.
    explicit Tornavellic(std::unique_ptr<links::HandlerLookup> lookup = nullptr,
                         std::unique_ptr<links::LinkOpener> opener = nullptr, QObject* parent = nullptr);
    ~Tornavellic() override;

    void Init();
    // Registers a link. Lists (item views): `text` is the column number; a negative style also
    // shows the hand cursor over the column's links. Colours are 0x00BBGGRR values.
    virtual void AddItem(QWidget* control, const QString& text = {}, std::optional<int> normal = {},
                         std::optional<int> style = {}, std::optional<int> bright = {});
    // Re-checks one control's links (null: all) and applies their look.
    virtual void CheckItems(QWidget* control = nullptr);
    // The link text of a control or list cell (row 1-based); "" when there is none.
    virtual QString GetURL(QWidget* control, int column, int row);
    virtual void SetURL(QWidget* control, const QString& text);
    virtual bool SetActive(QWidget* control, bool active);
    // 1 when a program for the link exists (OPENPROGRAM then names it).
    virtual bool CheckHandler(const QString& text, int skypeFunction);
    // Starts URLTORUN; a limit of 0 means LIMITURL.
    virtual void RunURL(QWidget* control, int limit);
    virtual void ErrorBox(const QString& text, const QString& caption, int code);
    virtual void Debug(const QString& text);
    void FindHandlers();

    const std::vector<Item>& items() const { return m_items; }

    QString HYPERBROWSER;
    QString HYPEREMAIL;
    QString OPENPROGRAM;
    QString URLTORUN;
    int LIMITURL = 0;
    bool URLISNOTANEMAIL = false;
    bool ENCODEEMAILS = false;
    bool TRYTOSTARTINEXISTINGWINDOW = false;
    bool CHECKURLS = false;
    bool DISABLE = false;
    bool INITED = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class LinkDelegate;
    Item* findItem(QWidget* control, int column);
    void ApplyLook(Item& item);
    void RunItem(Item& item, int row);
    bool handleListEvent(QAbstractItemView* view, QEvent* event);
    bool debugSwitch(const char* name) const;

    std::unique_ptr<links::HandlerLookup> m_lookup;
    std::unique_ptr<links::LinkOpener> m_opener;
    std::vector<Item> m_items;
};

} // namespace VelmoraDll
