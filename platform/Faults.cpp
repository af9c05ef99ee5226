#include "platform/Faults.h"

#include <algorithm>
#include <array>
#include <vector>

namespace kestrove::platform::faults {

namespace {

struct Rule {
    Op op;
    std::string pathPart;
    int remaining;                 // calls to let pass before the failing one; -1: fail always
    std::function<void()> action;  // run instead of failing
};

struct OffsetRule {
    std::string pathPart;
    std::int64_t offset;
};

std::vector<Rule>& Rules() {
    static std::vector<Rule> rules;
    return rules;
}

// The rules that fail at a byte offset: of a call of Write, of a write to
// the system, of a read from the system.
enum class At { Write, SystemWrite, Read };

std::vector<OffsetRule>& OffsetRules(At at) {
    static std::array<std::vector<OffsetRule>, 3> rules;
    return rules[static_cast<std::size_t>(at)];
}

struct Counted {
    Op op;
    std::string path;
};

bool counting = false;

std::vector<Counted>& CountedCalls() {
    static std::vector<Counted> calls;
    return calls;
}

char Fold(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool Contains(std::string_view path, std::string_view part) {
    if (part.empty())
        return true;
    if (part.size() > path.size())
        return false;
    for (std::size_t i = 0; i + part.size() <= path.size(); ++i) {
        std::size_t j = 0;
        while (j < part.size() && Fold(path[i + j]) == Fold(part[j]))
            ++j;
        if (j == part.size())
            return true;
    }
    return false;
}

}  // namespace

void FailNth(Op op, int nth, std::string pathPart) {
    if (nth < 1)
        nth = 1;
    Rules().push_back({op, std::move(pathPart), nth - 1, {}});
}

void AtNth(Op op, int nth, std::string pathPart, std::function<void()> action) {
    if (nth < 1)
        nth = 1;
    Rules().push_back({op, std::move(pathPart), nth - 1, std::move(action)});
}

void FailAlways(Op op, std::string pathPart) {
    Rules().push_back({op, std::move(pathPart), -1, {}});
}

void FailWriteAt(std::string pathPart, std::int64_t offset) {
    OffsetRules(At::Write).push_back({std::move(pathPart), offset});
}

void FailSystemWriteAt(std::string pathPart, std::int64_t offset) {
    OffsetRules(At::SystemWrite).push_back({std::move(pathPart), offset});
}

void FailReadAt(std::string pathPart, std::int64_t offset) {
    OffsetRules(At::Read).push_back({std::move(pathPart), offset});
}

void StartCounting() {
    counting = true;
    CountedCalls().clear();
}

int Calls(Op op, std::string_view pathPart) {
    return static_cast<int>(
        std::count_if(CountedCalls().begin(), CountedCalls().end(),
                      [&](const Counted& c) { return c.op == op && Contains(c.path, pathPart); }));
}

void Reset() {
    Rules().clear();
    for (At at : {At::Write, At::SystemWrite, At::Read})
        OffsetRules(at).clear();
    CountedCalls().clear();
    counting = false;
}

bool Hit(Op op, std::string_view path, std::string_view otherPath) {
    if (counting)
        CountedCalls().push_back({op, std::string(path)});
    auto& rules = Rules();
    if (rules.empty())
        return false;
    bool hit = false;
    std::vector<std::function<void()>> actions;
    for (auto it = rules.begin(); it != rules.end();) {
        bool matches = it->op == op && (Contains(path, it->pathPart) ||
                                        (!otherPath.empty() && Contains(otherPath, it->pathPart)));
        if (!matches) {
            ++it;
            continue;
        }
        if (it->remaining < 0) {
            hit = true;
            ++it;
        } else if (it->remaining == 0) {
            if (it->action)
                actions.push_back(std::move(it->action));
            else
                hit = true;
            it = rules.erase(it);
        } else {
            --it->remaining;
            ++it;
        }
    }
    // After the loop: an action may use the platform layer, and so this.
    for (auto& action : actions)
        action();
    return hit;
}

namespace {

std::size_t Before(std::vector<OffsetRule>& rules, std::string_view path, std::int64_t offset,
                   std::size_t n) {
    if (rules.empty() || n == 0)
        return n;
    std::size_t allowed = n;
    auto first = rules.end();
    for (auto it = rules.begin(); it != rules.end(); ++it) {
        if (!Contains(path, it->pathPart))
            continue;
        if (it->offset >= offset && it->offset < offset + static_cast<std::int64_t>(n)) {
            auto before = static_cast<std::size_t>(it->offset - offset);
            if (before < allowed || first == rules.end()) {
                allowed = std::min(allowed, before);
                first = it;
            }
        }
    }
    if (first != rules.end())
        rules.erase(first);
    return allowed;
}

}  // namespace

std::size_t WritableBefore(std::string_view path, std::int64_t offset, std::size_t n) {
    return Before(OffsetRules(At::Write), path, offset, n);
}

std::size_t SystemWritableBefore(std::string_view path, std::int64_t offset, std::size_t n) {
    return Before(OffsetRules(At::SystemWrite), path, offset, n);
}

std::int64_t ReadableBefore(std::string_view path, std::int64_t offset, std::size_t n) {
    auto& rules = OffsetRules(At::Read);
    auto all = static_cast<std::int64_t>(n);
    for (auto it = rules.begin(); it != rules.end(); ++it) {
        if (!Contains(path, it->pathPart) || it->offset < offset || it->offset >= offset + all)
            continue;
        if (it->offset > offset)
            return it->offset - offset;  // a short read first, as the system gives
        rules.erase(it);
        return -1;
    }
    return all;
}

}  // namespace kestrove::platform::faults
