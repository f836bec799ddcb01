#include "StringListHolder.h"

#include <cstdint>

namespace pem {

TObject ObjectFromInt(int n) {
    if (n == 0) return nullptr;
    // Aliasing constructor with an empty owner: no control block, no delete.
    return TObject(TObject(), reinterpret_cast<void*>(static_cast<std::intptr_t>(n)));
}

int IntFromObject(const TObject& obj) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(obj.get()));
}

TStringListHolder::TStringListHolder(TComponent* owner, const std::string& name)
    : QObject(owner ? owner->Object() : nullptr), TComponent(this, owner, name, "TStringListHolder") {}

void TStringListHolder::SetStringList(const TStringList& list) {
    if (&list == &list_) return;
    list_.Clear();
    list_.AddStrings(list);
}

void TStringListHolder::Clear() {
    list_.Clear();
    maxLen_ = 0;
}

} // namespace pem
