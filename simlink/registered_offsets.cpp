#include "simlink/registered_offsets.h"

#include <algorithm>

namespace orvex::simlink {

bool RegisteredOffsets::KeyLess::operator()(std::string_view a, std::string_view b) const {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return lower(x) < lower(y); });
}

cOFFSET& RegisteredOffsets::AddOffset(int32_t offset, int32_t dataType, std::string_view key,
                                      std::optional<int32_t> length) {
    if (auto found = index_.find(key); found != index_.end()) return *found->second;
    Entry entry{std::string(key), std::make_unique<cOFFSET>(link_)};
    cOFFSET& added = *entry.offset;
    added.Offset = offset;
    added.SetDataType(dataType);
    if (length) added.Lenght = *length;
    // Room first, so that nothing can fail between the index insert and the
    // push (moving an Entry does not throw).
    if (order_.size() == order_.capacity()) order_.reserve(std::max<std::size_t>(16, 2 * order_.capacity()));
    index_.emplace(entry.key, &added);
    order_.push_back(std::move(entry));
    return added;
}

void RegisteredOffsets::RemoveOffset(std::string_view key) {
    auto found = index_.find(key);
    if (found == index_.end()) return;
    const cOFFSET* target = found->second;
    index_.erase(found);
    auto it = std::find_if(order_.begin(), order_.end(),
                           [target](const Entry& e) { return e.offset.get() == target; });
    if (it != order_.end()) order_.erase(it);
}

bool RegisteredOffsets::OffsetExists(std::string_view key) const { return index_.find(key) != index_.end(); }

cOFFSET* RegisteredOffsets::Item(std::string_view key) {
    auto found = index_.find(key);
    return found == index_.end() ? nullptr : found->second;
}

const cOFFSET* RegisteredOffsets::Item(std::string_view key) const {
    auto found = index_.find(key);
    return found == index_.end() ? nullptr : found->second;
}

bool RegisteredOffsets::QueueReadAll(int32_t& result) {
    result = ResultOk;
    bool all = true;
    for (Entry& e : order_) {
        int32_t r = ResultOk;
        if (!e.offset->QueueRead(r)) {
            if (all) result = r;
            all = false;
        }
    }
    return all;
}

} // namespace orvex::simlink
