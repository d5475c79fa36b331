#include "TraceRecord.h"

#include <charconv>

void TraceRecord::Clear() {
    kind = Kind::Triplet;
    number = -1;
    firstLine = lastLine = 0;
    label.clear();
    for (TraceName* name : {&dg, &dat, &msg, &cap, &rc}) {
        name->text.clear();
        name->value = 0;
        name->known = false;
    }
    hasCap = hasResult = hasState = failureBracket = overLength = false;
    dataPointer = 0;
    state = 0;
    damage.clear();
    text.clear();
    withinNumber = withinDat = withinMsg = -1;
    m_nodeCount = 0;
}

TraceNode& TraceRecord::AddNode() {
    if (m_nodeCount == m_nodes.size()) m_nodes.emplace_back();
    return m_nodes[m_nodeCount++];
}

const TraceNode* TraceRecord::Block(std::string_view type) const {
    for (const TraceNode& node : Nodes())
        if (node.kind == TraceNode::Kind::Block && node.name == type) return &node;
    return nullptr;
}

const TraceNode* TraceRecord::Field(std::string_view name, std::string_view inBlock) const {
    std::span<const TraceNode> nodes = Nodes();
    size_t i = 0, end = nodes.size();
    int depth = -1;
    if (!inBlock.empty()) {
        const TraceNode* block = Block(inBlock);
        if (!block) return nullptr;
        i = static_cast<size_t>(block - nodes.data()) + 1;
        depth = block->depth;
    }
    for (; i < end && nodes[i].depth > depth; ++i)
        if (nodes[i].kind != TraceNode::Kind::Block && nodes[i].name == name) return &nodes[i];
    return nullptr;
}

std::string TraceRecord::Triplet() const {
    std::string text = dg.text + "/" + dat.text + "/" + msg.text;
    if (hasCap) text += " (" + cap.text + ")";
    return text;
}

bool ParseTraceNumber(std::string_view text, int64_t& value) {
    bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint64_t magnitude = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return false;
    value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return true;
}
