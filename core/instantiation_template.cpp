#include "core/instantiation_template.h"

#include "core/classification.h"
#include "core/contraction.h"
#include "core/work_stack.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace rill {

namespace {

// One instruction; each pushes one term onto the result stack.
enum class Op : std::uint8_t {
    shared,      // the node itself, a sub-term without any parameter
    argument,    // the argument for a parameter
    application, // (p x) of the two terms on top; the node itself when both are its own parts
    lambda,      // ((\ w) b) of the term on top, the node's (\ w) shared
    let,         // ((({ w) e) b) of the two terms on top, the node's ({ w) shared
};

struct Instruction {
    Op op;
    std::uint8_t argument; // Op::argument: which argument
    Node* node;            // the body node the instruction stands for
};

struct Template {
    NodeRef definition; // keeps the body's nodes alive
    int parameters = 0;
    std::vector<Instruction> code;
};

// Compiles the walk of the substitution over the body: the same nodes are visited in the
// same order, so the same nodes get classified, and the built term is the same.
std::unique_ptr<Template> compile(Node* definition) {
    auto t = std::make_unique<Template>();
    t->definition = NodeRef(definition);
    unsigned char letters[26 + 1];
    Node* d = definition;
    while (isLambdaForm(d)) {
        RILL_ASSERT(t->parameters < 12);
        letters[t->parameters++] = firstByteOf(argumentOf(functionOf(d)));
        d = argumentOf(d);
    }
    // The parameter each letter stands for: the last one of that letter.
    int slot[26];
    std::uint32_t mask = 0;
    for (int i = t->parameters - 1; i >= 0; --i) {
        const unsigned char v = letters[i];
        RILL_ASSERT(v >= 'a' && v <= 'z');
        if ((mask & (std::uint32_t{1} << (v - 'a'))) != 0)
            continue;
        mask |= std::uint32_t{1} << (v - 'a');
        slot[v - 'a'] = i;
    }
    struct Frame {
        Node* node;
        std::uint32_t mask;
        Op rebuild; // Op::shared while the node is still to be entered
    };
    std::vector<Frame> frames{{d, mask, Op::shared}};
    while (!frames.empty()) {
        const Frame f = frames.back();
        frames.pop_back();
        Node* n = f.node;
        if (f.rebuild != Op::shared) {
            t->code.push_back({f.rebuild, 0, n});
            continue;
        }
        const std::uint32_t m = f.mask;
        if ((freeVariablesOf(n) & m) == 0) {
            t->code.push_back({Op::shared, 0, n});
        } else if (isAtomNode(n)) {
            t->code.push_back(
                {Op::argument, static_cast<std::uint8_t>(slot[atomBytes(n)[0] - 'a']), n});
        } else if (isLambdaForm(n)) {
            const unsigned char w = firstByteOf(argumentOf(functionOf(n)));
            const std::uint32_t hidden = w >= 'a' && w <= 'z' ? std::uint32_t{1} << (w - 'a') : 0;
            frames.push_back({n, m, Op::lambda});
            frames.push_back({argumentOf(n), m & ~hidden, Op::shared});
        } else if (isLetForm(n)) {
            const unsigned char w = firstByteOf(letBinder(n));
            const std::uint32_t hidden = w >= 'a' && w <= 'z' ? std::uint32_t{1} << (w - 'a') : 0;
            frames.push_back({n, m, Op::let});
            frames.push_back({argumentOf(n), m & ~hidden, Op::shared});
            frames.push_back({letValue(n), m, Op::shared});
        } else {
            frames.push_back({n, m, Op::application});
            frames.push_back({argumentOf(n), m, Op::shared});
            frames.push_back({functionOf(n), m, Op::shared});
        }
    }
    return t;
}

// The templates by definition node, in a direct-mapped cache. A slot holds its definition,
// so the node cannot be freed and its address reused while the slot names it.
Template& templateOf(Node* definition) {
    constexpr std::size_t kSlots = 4096;
    static auto& slots = *new std::vector<std::unique_ptr<Template>>(kSlots);
    const auto address = reinterpret_cast<std::uintptr_t>(definition);
    std::unique_ptr<Template>& slot = slots[(address >> 4 ^ address >> 16) & (kSlots - 1)];
    if (slot == nullptr || slot->definition.get() != definition)
        slot = compile(definition);
    return *slot;
}

} // namespace

NodeRef instantiateTemplate(Node* definition, Node* const* args, int count) {
    const Template& t = templateOf(definition);
    RILL_ASSERT(t.parameters == count);
    static auto& results = *new WorkStack<Node*>; // each holds one reference
    const std::size_t floor = results.size();
    for (const Instruction& i : t.code) {
        switch (i.op) {
        case Op::shared:
            retainNode(i.node);
            results.push(i.node);
            break;
        case Op::argument:
            retainNode(args[i.argument]);
            results.push(args[i.argument]);
            break;
        case Op::application: {
            Node* x = results.pop();
            Node* p = results.pop();
            Node* n = i.node;
            if (p == functionOf(n) && x == argumentOf(n)) {
                releaseNode(p);
                releaseNode(x);
                retainNode(n);
                results.push(n);
            } else {
                Node* made = newApplicationNode(p, x);
                ++made->header;
                results.push(made);
            }
            break;
        }
        case Op::lambda: {
            Node* b = results.pop();
            Node* head = functionOf(i.node);
            retainNode(head);
            Node* made = newApplicationNode(head, b);
            ++made->header;
            results.push(made);
            break;
        }
        case Op::let: {
            Node* b = results.pop();
            Node* e = results.pop();
            Node* head = functionOf(functionOf(i.node));
            retainNode(head);
            Node* inner = newApplicationNode(head, e);
            ++inner->header;
            Node* made = newApplicationNode(inner, b);
            ++made->header;
            results.push(made);
            break;
        }
        }
    }
    RILL_ASSERT(results.size() == floor + 1);
    return NodeRef::adopt(results.pop());
}

} // namespace rill
