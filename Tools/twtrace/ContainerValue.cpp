#include "ContainerValue.h"

std::vector<std::string> ListItems(const TraceRecord& record, const char* block) {
    std::vector<std::string> items;
    const TraceNode* list = record.Block(block);
    if (!list) return items;
    std::span<const TraceNode> nodes = record.Nodes();
    for (size_t i = static_cast<size_t>(list - nodes.data()) + 1; i < nodes.size() && nodes[i].depth > list->depth; ++i)
        if (nodes[i].kind == TraceNode::Kind::Item) items.push_back(nodes[i].value);
    return items;
}

std::string ContainerCut(const TraceRecord& record) {
    constexpr std::string_view kOpen = "!!! ", kClose = ".!!!";
    for (const TraceNode& node : record.Nodes()) {
        std::string_view text = node.value;
        if (text.size() < kOpen.size() + kClose.size() || text.substr(0, kOpen.size()) != kOpen ||
            text.substr(text.size() - kClose.size()) != kClose)
            continue;
        text = text.substr(kOpen.size(), text.size() - kOpen.size() - kClose.size());
        if (text.rfind("container cut:", 0) == 0 || text.rfind("item cut:", 0) == 0) return std::string(text);
    }
    return "";
}

std::string ContainerValue(const TraceRecord& record) {
    if (!ContainerCut(record).empty()) return "cut";
    auto value = [&](const char* field, const char* block) {
        const TraceNode* node = record.Field(field, block);
        return node ? node->value : std::string("?");
    };
    if (record.Block("TW_ONEVALUE")) return value("Item", "TW_ONEVALUE");
    if (record.Block("TW_RANGE"))
        return value("CurrentValue", "TW_RANGE") + " in " + value("MinValue", "TW_RANGE") + ".." +
               value("MaxValue", "TW_RANGE");
    if (record.Block("TW_ARRAY")) return value("NumItems", "TW_ARRAY") + " items";
    if (record.Block("TW_ENUMERATION")) {
        std::vector<std::string> items = ListItems(record, "TW_ENUMERATION");
        int64_t current = -1;
        ParseTraceNumber(value("CurrentIndex", "TW_ENUMERATION"), current);
        std::string text = current >= 0 && static_cast<size_t>(current) < items.size() ? items[current] : "?";
        return text + " (" + std::to_string(current + 1) + " of " + value("NumItems", "TW_ENUMERATION") + ")";
    }
    return "";
}
