// K-mer-keeping shuffles and GC-matched genome windows.
#include "evaluation/Background.h"

#include <algorithm>
#include <map>
#include <numeric>

namespace motifora {

namespace {

uint64_t splitmix(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// 0 ... n - 1 (n > 0), without the bias of a plain modulo.
uint64_t below(uint64_t& state, uint64_t n) {
    const uint64_t limit = UINT64_MAX - UINT64_MAX % n;
    for (;;) {
        const uint64_t r = splitmix(state);
        if (r < limit) return r % n;
    }
}

bool plainLetter(char c) {
    switch (c) {
        case 'A':
        case 'C':
        case 'G':
        case 'T':
        case 'a':
        case 'c':
        case 'g':
        case 't':
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string shuffleKeepingKmers(const std::string& text, int32_t k, uint64_t& state) {
    const auto length = static_cast<int64_t>(text.size());
    if (k < 1 || length < int64_t{k} + 1) return text;
    if (k == 1) {
        std::string out = text;
        for (size_t i = out.size() - 1; i > 0; --i) std::swap(out[i], out[below(state, i + 1)]);
        return out;
    }
    // Nodes: the distinct (K-1)-mers, numbered in order of first appearance.
    const size_t node = static_cast<size_t>(k - 1);
    std::map<std::string, int32_t> number;
    std::vector<std::string> nodes;
    std::vector<int32_t> at(static_cast<size_t>(length) - node + 1);
    for (size_t i = 0; i + node <= static_cast<size_t>(length); ++i) {
        const std::string word = text.substr(i, node);
        auto [it, added] = number.emplace(word, static_cast<int32_t>(nodes.size()));
        if (added) nodes.push_back(word);
        at[i] = it->second;
    }
    // Edges: the K-mers, as exits from their first (K-1)-mer to their last.
    std::vector<std::vector<int32_t>> exits(nodes.size());
    for (size_t i = 0; i + 1 < at.size(); ++i)
        exits[static_cast<size_t>(at[i])].push_back(at[i + 1]);
    const int32_t last = at.back();

    // The last exit of every node but the last: a random arborescence towards the last node,
    // by loop-erased random walks (Wilson); a node's walk draws among its exits.
    std::vector<char> inTree(nodes.size(), 0);
    std::vector<int32_t> next(nodes.size(), -1);  // index into exits[u] of the last exit
    inTree[static_cast<size_t>(last)] = 1;
    for (size_t start = 0; start < nodes.size(); ++start) {
        if (exits[start].empty()) continue;  // only the last node can lack an exit
        size_t u = start;
        while (!inTree[u]) {
            next[u] = static_cast<int32_t>(below(state, exits[u].size()));
            u = static_cast<size_t>(exits[u][static_cast<size_t>(next[u])]);
        }
        u = start;
        while (!inTree[u]) {
            inTree[u] = 1;
            u = static_cast<size_t>(exits[u][static_cast<size_t>(next[u])]);
        }
    }
    // Every other exit in random order, the last exit last.
    for (size_t u = 0; u < nodes.size(); ++u) {
        std::vector<int32_t>& e = exits[u];
        if (e.empty()) continue;
        if (static_cast<int32_t>(u) != last) {
            std::swap(e[static_cast<size_t>(next[u])], e.back());
            for (size_t i = e.size() - 1; i > 1; --i) std::swap(e[i - 1], e[below(state, i)]);
        } else {
            for (size_t i = e.size(); i > 1; --i) std::swap(e[i - 1], e[below(state, i)]);
        }
    }
    // The walk from the first node uses every exit once.
    std::string out = nodes[static_cast<size_t>(at.front())];
    std::vector<size_t> used(nodes.size(), 0);
    size_t u = static_cast<size_t>(at.front());
    while (used[u] < exits[u].size()) {
        const auto v = static_cast<size_t>(exits[u][used[u]++]);
        out += nodes[v].back();
        u = v;
    }
    return out;
}

std::vector<Sequence> shuffledNegatives(const std::vector<Sequence>& positives, int32_t count,
                                        int32_t k, uint64_t seed) {
    std::vector<Sequence> out;
    if (positives.empty()) return out;
    uint64_t state = seed;
    for (int32_t i = 0; i < count; ++i) {
        const Sequence& from = positives[static_cast<size_t>(i) % positives.size()];
        Sequence s;
        s.assign(shuffleKeepingKmers(from.text, k, state),
                 "shuffled" + std::to_string(i + 1) + "_" + from.name, from.startPosition);
        out.push_back(std::move(s));
    }
    return out;
}

double gcFraction(const std::string& text) {
    int64_t gc = 0, all = 0;
    for (char c : text) {
        if (!plainLetter(c)) continue;
        ++all;
        if (c == 'G' || c == 'C' || c == 'g' || c == 'c') ++gc;
    }
    return all == 0 ? 0.0 : static_cast<double>(gc) / static_cast<double>(all);
}

int32_t gcBin(double fraction, int32_t bins) {
    return std::clamp(static_cast<int32_t>(fraction * bins), 0, std::max(bins, 1) - 1);
}

BackgroundWindows gcMatchedWindows(const std::vector<GenomeSequence>& genome,
                                   const std::vector<Sequence>& positives, int32_t count,
                                   uint64_t seed, int32_t bins) {
    BackgroundWindows out;
    bins = std::max(bins, 1);
    out.wanted.assign(static_cast<size_t>(bins), 0);
    out.found.assign(static_cast<size_t>(bins), 0);
    size_t width = 0;
    for (const Sequence& p : positives) width = std::max(width, p.text.size());
    if (positives.empty() || width == 0 || count <= 0) return out;

    // The positives' share of every bin, as whole windows by largest remainders.
    std::vector<int32_t> seen(static_cast<size_t>(bins), 0);
    for (const Sequence& p : positives)
        ++seen[static_cast<size_t>(gcBin(gcFraction(p.text), bins))];
    std::vector<double> remainder(static_cast<size_t>(bins));
    int32_t given = 0;
    for (size_t b = 0; b < seen.size(); ++b) {
        const double exact =
            static_cast<double>(count) * seen[b] / static_cast<double>(positives.size());
        out.wanted[b] = static_cast<int32_t>(exact);
        remainder[b] = exact - out.wanted[b];
        given += out.wanted[b];
    }
    std::vector<size_t> order(seen.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return remainder[a] > remainder[b]; });
    for (size_t i = 0; given < count && i < order.size(); ++i, ++given) ++out.wanted[order[i]];

    // Draws: a sequence by its number of windows, then a start.
    std::vector<uint64_t> windows;
    uint64_t total = 0;
    for (const GenomeSequence& g : genome) {
        const uint64_t n = g.text.size() >= width ? g.text.size() - width + 1 : 0;
        windows.push_back(n);
        total += n;
    }
    if (total == 0) return out;
    uint64_t state = seed;
    int32_t missing = count;
    const int64_t draws = 2000 * int64_t{count} + 10000;
    for (int64_t d = 0; d < draws && missing > 0; ++d) {
        uint64_t pick = below(state, total);
        size_t g = 0;
        while (pick >= windows[g]) pick -= windows[g++];
        const std::string& text = genome[g].text;
        std::string window = text.substr(pick, width);
        if (!std::all_of(window.begin(), window.end(), plainLetter)) continue;
        const auto b = static_cast<size_t>(gcBin(gcFraction(window), bins));
        if (out.found[b] >= out.wanted[b]) continue;
        for (char& c : window) c = static_cast<char>(c & ~0x20);  // upper case
        Sequence s;
        s.assign(
            window,
            genome[g].name + ":" + std::to_string(pick + 1) + "-" + std::to_string(pick + width),
            1);
        out.records.push_back(std::move(s));
        ++out.found[b];
        --missing;
    }
    return out;
}

}  // namespace motifora
