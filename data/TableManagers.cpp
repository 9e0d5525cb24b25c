#include "data/TableManagers.h"
#include "data/Corvalde.h"
#include "data/Globals.h"

#include <array>
#include <memory>

namespace corvalde {
namespace {

struct DictionaryContext {
    vrt::Session session{[]() -> const std::string& { return GLO::OWNER; }};
    std::array<void*, size_t(Tbl::Count)> buffers{};
    std::array<std::unique_ptr<vrt::FileManager>, size_t(Tbl::Count)> files;
    std::array<std::unique_ptr<vrt::RelationManager>, size_t(Tbl::Count)> relates;
    vrt::ErrorClass* errors = nullptr;

    DictionaryContext()
    {
        // Tables before aliases: an alias takes its table's managers of the same thread.
        for (size_t i = 0; i < size_t(Tbl::Count); ++i) {
            const vrt::TableDesc& t = declaration(Tbl(i));
            buffers[i] = t.ops.make();
            files[i] = std::make_unique<vrt::FileManager>(t, buffers[i], session);
            files[i]->FILENAME = nameVariable(Tbl(i));
            // An alias goes by its table's relations; a table registers its own on first need.
            std::function<void(vrt::RelationManager&)> addOwn;
            if (!t.base)
                addOwn = [this, i](vrt::RelationManager& rm) { addRelations(rm, i); };
            relates[i] = std::make_unique<vrt::RelationManager>(*files[i], std::move(addOwn));
        }
        for (size_t i = 0; i < size_t(Tbl::Count); ++i) {
            const vrt::TableDesc& t = declaration(Tbl(i));
            if (t.base) {
                const size_t b = size_t(slotOf(t.base->label));
                files[i]->ALIASEDFILE = files[b].get();
                relates[i]->SetAlias(relates[b].get());
            }
        }
    }

    ~DictionaryContext()
    {
        for (auto& r : relates)
            r.reset();
        for (auto& f : files)
            f.reset();
        for (size_t i = 0; i < buffers.size(); ++i)
            declaration(Tbl(i)).ops.destroy(buffers[i]);
    }

    // Parents' relations in declaration order, then this table as the child of its parents.
    void addRelations(vrt::RelationManager& rm, size_t self)
    {
        const vrt::TableDesc& t = declaration(Tbl(self));
        for (const vrt::RelationDesc& r : t.relations) {
            const size_t child = size_t(slotOf(r.child));
            rm.AddRelation(relates[child].get(), declaration(Tbl(child)).keyIndex(r.childKey),
                           r.parentField, r.childField);
        }
        for (size_t p = 0; p < size_t(Tbl::Count); ++p)
            for (const vrt::RelationDesc& r : declaration(Tbl(p)).relations)
                if (r.child == t.label)
                    rm.AddRelation(relates[p].get());
    }

    void bind(vrt::ErrorClass* e)
    {
        errors = e;
        for (auto& f : files)
            f->SetErrors(e);
    }
};

thread_local std::unique_ptr<DictionaryContext> t_context;

DictionaryContext& context()
{
    if (!t_context) {
        t_context = std::make_unique<DictionaryContext>();
        t_context->bind(DictionaryErrors());
    }
    return *t_context;
}

} // namespace

void CREATETABLEMANAGERS() { context().bind(DictionaryErrors()); }

void KILLTABLEMANAGERS() { t_context.reset(); }

void BindThreadManagers(vrt::ErrorClass* errors) { context().bind(errors); }

vrt::ErrorClass* ThreadManagersErrors() { return t_context ? t_context->errors : nullptr; }

bool ThreadManagersExist() { return bool(t_context); }

vrt::Session& ThreadSession() { return context().session; }

void* threadBuffer(Tbl slot) { return context().buffers[size_t(slot)]; }

} // namespace corvalde

vrt::FileManager& Access(Tbl slot) { return *corvalde::context().files[size_t(slot)]; }
vrt::RelationManager& Relate(Tbl slot) { return *corvalde::context().relates[size_t(slot)]; }
