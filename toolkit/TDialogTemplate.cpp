#include "toolkit/TDialogTemplate.h"

#include <map>

namespace {

// A function-local map, so registrations from other libraries' static objects find it ready.
std::map<int, const TDialogTemplate*>& Registry() {
    static std::map<int, const TDialogTemplate*> registry;
    return registry;
}

} // namespace

int RegisterDialogTemplate(int id, const TDialogTemplate* tpl) {
    if (tpl == nullptr)
        return 0;
    return Registry().emplace(id, tpl).second ? 1 : 0;
}

const TDialogTemplate* FindDialogTemplate(int id) {
    const auto found = Registry().find(id);
    return found == Registry().end() ? nullptr : found->second;
}
