#pragma once
#include <memory>
#include <unordered_map>
#include <vector>

// Which object stands for a system handle on this thread. Bound ("permanent")
// objects belong to their owners; wrappers made for a handle that no object
// is bound to live here until the next idle moment drops them. A wrapper whose
// handle gets bound meanwhile is let go of its handle but kept alive until
// then too, since its caller may still hold it (GetDlgItem, then SubclassDlgItem).
// `Traits` says how a wrapper takes and lets go of its handle:
//   static std::unique_ptr<Object> Wrap(Handle); static void Forget(Object&);
template <typename Handle, typename Object, typename Traits>
class HandleMap {
public:
    Object* Find(Handle handle) const
    {
        auto found = m_permanent.find(handle);
        return found == m_permanent.end() ? nullptr : found->second;
    }

    Object* FindOrWrap(Handle handle)
    {
        if (Object* bound = Find(handle))
            return bound;
        auto& slot = m_temporary[handle];
        if (!slot)
            slot = Traits::Wrap(handle);
        return slot.get();
    }

    void Add(Handle handle, Object* object)
    {
        m_permanent[handle] = object;
        auto temporary = m_temporary.find(handle);
        if (temporary != m_temporary.end()) {
            Traits::Forget(*temporary->second);
            m_detached.push_back(std::move(temporary->second));
            m_temporary.erase(temporary);
        }
    }

    void Remove(Handle handle, const Object* object)
    {
        auto found = m_permanent.find(handle);
        if (found != m_permanent.end() && found->second == object)
            m_permanent.erase(found);
    }

    void DropTemporaries()
    {
        for (auto& entry : m_temporary)
            Traits::Forget(*entry.second);
        m_temporary.clear();
        m_detached.clear();
    }

private:
    std::unordered_map<Handle, Object*> m_permanent;
    std::unordered_map<Handle, std::unique_ptr<Object>> m_temporary;
    std::vector<std::unique_ptr<Object>> m_detached;  // already forgotten their handles
};
