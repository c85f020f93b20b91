// Negative samples made when there are none: shuffles of the positives that keep every K-mer
// count, and windows of a genome matched to the positives' GC content. Both are seeded and give
// ordinary sequence records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Sequence.h"

namespace motifora {

// A shuffle of `text` that keeps the count of every K-mer (K >= 1) and the first and last
// (K-1)-mer: an Euler walk through the multigraph whose nodes are the (K-1)-mers and whose edges
// are the K-mers of `text`, the walk's last exit from every node drawn as a random arborescence
// towards the last node (Wilson's loop-erased walks) and the other exits in random order. Texts
// shorter than K + 1 come back as they are. `state` is a splitmix64 state, advanced.
std::string shuffleKeepingKmers(const std::string& text, int32_t k, uint64_t& state);

// `count` shuffles of the positives (record i shuffles positive i modulo their number), named
// "shuffled<i+1>_<name>" and placed where their positive is. Empty without positives.
std::vector<Sequence> shuffledNegatives(const std::vector<Sequence>& positives, int32_t count,
                                        int32_t k, uint64_t seed);

// The share of G and C among the A, C, G and T of `text` (0 without any).
double gcFraction(const std::string& text);
// The bin of a GC fraction among `bins` equal bins of [0, 1] (1 falls in the last).
int32_t gcBin(double fraction, int32_t bins);

// One named sequence of a genome (a chromosome or contig).
struct GenomeSequence {
    std::string name;
    std::string text;
};

// Windows of the positives' width (their longest record) drawn from `genome` (a sequence drawn
// with chance proportional to its windows, then a start uniformly), skipping windows with any
// letter other than A, C, G, T (either case), until every GC bin holds as many windows as the
// positives' share of that bin gives out of `count` (largest remainders); at most
// 2000 * count + 10000 draws. Windows are upper case, named "<sequence>:<start>-<end>" (1-based,
// inclusive). Fewer than `count` come back when the genome cannot fill the bins.
struct BackgroundWindows {
    std::vector<Sequence> records;
    std::vector<int32_t> wanted;  // per GC bin
    std::vector<int32_t> found;   // per GC bin
};
BackgroundWindows gcMatchedWindows(const std::vector<GenomeSequence>& genome,
                                   const std::vector<Sequence>& positives, int32_t count,
                                   uint64_t seed, int32_t bins = 10);

}  // namespace motifora
