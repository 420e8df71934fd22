#include "views/viewindex_reads.h"

#include <algorithm>

namespace nnotes::views {
namespace {

void Walk(const formula::Node& node, ViewReads& reads) {
    using formula::Function;
    if (node.kind == formula::Node::Kind::Name) reads.items.push_back(formula::FoldName(node.name));
    if (node.kind == formula::Node::Kind::Call &&
        (node.function == Function::Modified || node.function == Function::Now ||
         node.function == Function::Today))
        reads.everySave = true;
    for (const formula::Node& operand : node.operands)
        Walk(operand, reads);
}

void Walk(const formula::Program& program, ViewReads& reads) {
    for (const formula::Statement& statement : program.statements)
        Walk(statement.expression, reads);
}

} // namespace

ViewReads ReadsOf(const ViewDefinition& view) {
    ViewReads reads;
    // Whether a document is a response, and under which parent it shows, come from its "$REF".
    reads.items.push_back(formula::FoldName(FIELD_REF));
    if (view.selection) Walk(*view.selection, reads);
    for (const ViewColumn& column : view.columns) {
        if (!column.itemName.empty()) reads.items.push_back(formula::FoldName(column.itemName));
        if (column.program) Walk(*column.program, reads);
    }
    std::sort(reads.items.begin(), reads.items.end());
    reads.items.erase(std::unique(reads.items.begin(), reads.items.end()), reads.items.end());
    return reads;
}

bool SaveCanChangeRows(const ViewReads& reads, const std::vector<std::string>& changedItems) {
    if (reads.everySave) return true;
    for (const std::string& name : changedItems)
        if (std::binary_search(reads.items.begin(), reads.items.end(), formula::FoldName(name))) return true;
    return false;
}

} // namespace nnotes::views
