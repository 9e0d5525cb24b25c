#pragma once
#include <QObject>
#include <QStringList>

#include "procedures/common/HeaderSort.h"

class QHeaderView;

namespace VelmoraDll {

// Binds a HeaderSortManager to a horizontal header: clicks (with Ctrl or Shift held) go to the
// manager, the marks go into the model's header texts. The manager's column n is section n-1.
class HeaderSortBinding : public QObject, public SortableList {
    Q_OBJECT
public:
    // `fieldNames` and `pictures` per section, as the list's row declaration gives them.
    HeaderSortBinding(QHeaderView* header, QStringList fieldNames, QStringList pictures = {});

    int columnCount() const override;
    QString headerText(int column) const override;
    void setHeaderText(int column, const QString& text) override;
    QString fieldName(int column) const override;
    QString picture(int column) const override;
    int width(int column) const override;
    // Rows of a QStandardItemModel are put in the order; other models are the owner's to sort.
    void sortRows(const QString& order) override;

    void attach(HeaderSortManager* manager) { m_manager = manager; }

private:
    void onSectionClicked(int section);

    QHeaderView* m_header;
    QStringList m_fields;
    QStringList m_pictures;
    HeaderSortManager* m_manager = nullptr;
};

} // namespace VelmoraDll
