#include "check/empty_operands.h"

#include "core/classification.h"
#include "front/lexical_classes.h"

#include <string_view>

namespace rill {

namespace {

// The infix operators whose operands may be left out by mistake: every operator character of
// the folding levels but the backslash and "{" (whose left side is a binder).
bool isInfixOperator(const Node* atom) {
    static constexpr CharSet kInfix{";?&|=<>#@+-:.*/%'^"};
    return isOneByteAtomOf(atom, atomBytes(atom)[0]) && kInfix.contains(firstByteOf(atom));
}

bool isEmptyPiece(const Node* n) {
    return isOneByteAtomOf(n, '}');
}

bool isNumberAtom(const Node* n) {
    return isAtomNode(n) && isDigit(firstByteOf(n));
}

struct OperandWalker : DefinitionWalker {
    const ProgramModel& model;
    std::unordered_map<const Node*, EmptyOperand>& found;
    bool inEntry;
    std::size_t definition;

    OperandWalker(const ProgramModel& m, std::unordered_map<const Node*, EmptyOperand>& f,
                  bool entry, std::size_t d)
        : model(m), found(f), inEntry(entry), definition(d) {}

    void operatorForm(const Node* op, const Node* left, const Node* right) override {
        if (!isInfixOperator(op))
            return;
        const std::string shown(atomTextOf(op));
        const std::size_t offset = model.placeOf(op, model.entryOffset);
        if (isEmptyPiece(left)) {
            std::string explanation;
            if (shown == "-" && isNumberAtom(right)) {
                const std::string number(atomTextOf(right));
                explanation = "`-" + number + "` is not minus " + number +
                              ": `-` has nothing on its left; write 0" + number + " for minus " +
                              number;
            } else {
                explanation =
                    "`" + shown + "` has nothing on its left, which reads as the name `}`";
                if (shown == "-")
                    explanation += " (a negative number has a leading 0: 05 is minus five)";
            }
            found.emplace(left, EmptyOperand{offset, inEntry, definition, explanation});
        }
        if (isEmptyPiece(right) && right != left)
            found.emplace(right, EmptyOperand{offset, inEntry, definition,
                                              "`" + shown +
                                                  "` has nothing on its right, which reads as "
                                                  "the name `}`"});
    }
};

} // namespace

std::unordered_map<const Node*, EmptyOperand> findEmptyOperands(const ProgramModel& model) {
    std::unordered_map<const Node*, EmptyOperand> found;
    if (!model.parsed)
        return found;
    OperandWalker entry(model, found, true, 0);
    walkDefinition(model, model.entry, entry);
    for (std::size_t d = 0; d < model.definitions.size(); ++d) {
        if (model.definitions[d].replaced)
            continue;
        OperandWalker walker(model, found, false, d);
        walkDefinition(model, model.definitions[d].value, walker);
    }
    return found;
}

} // namespace rill
