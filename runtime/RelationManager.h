#pragma once
#include "runtime/FileManager.h"

#include <functional>
#include <string>
#include <vector>

namespace vrt {

// The relation manager of one declaration on one thread: opening with the related tables,
// and deletes that cascade along the declared relations inside one transaction.
class RelationManager {
public:
    // `addRelations` registers the relations on first need (the dictionary's; runs once).
    explicit RelationManager(FileManager& file, std::function<void(RelationManager&)> addRelations = {})
        : m_file(&file), m_addRelations(std::move(addRelations))
    {
    }

    FileManager& Me() { return *m_file; }
    void SetAlias(RelationManager* base) { m_alias = base; }
    RelationManager* Alias() const { return m_alias; }

    // A plain registration: this table is a child of `parent`.
    void AddRelation(RelationManager* parent);
    // This table is the parent of `child`, linked by `childKey`: delete cascades, update does
    // nothing.
    void AddRelation(RelationManager* child, int childKey, const std::string& parentField,
                     const std::string& childField);

    void SetOpenRelated(bool on = true) { m_openRelated = on; }
    int Open();
    int Close();
    // Deletes the buffer's row and, first, all rows that hang from it by the declared
    // relations, in one transaction. With `ask`, confirms through message 20 first.
    int Delete(bool ask = false);
    int Update() { return m_file->Update(); }
    void Kill();

    struct Child {
        RelationManager* child;
        int childKey;
        std::string parentField;
        std::string childField;
    };
    const std::vector<Child>& Children();
    const std::vector<RelationManager*>& Parents();

private:
    void ensureRelations();
    int deleteWithChildren();
    int deleteTree(RelationManager& rm, const std::string& rows, int64_t id, std::string& failedLabel,
                   odbc::Error& err);

    FileManager* m_file;
    std::function<void(RelationManager&)> m_addRelations;
    RelationManager* m_alias = nullptr;
    std::vector<Child> m_children;
    std::vector<RelationManager*> m_parents;
    bool m_relationsAdded = false;
    bool m_openRelated = false;
};

} // namespace vrt
