// Checking a boosted-trees model before the learning library reads it. The library trusts
// its model files: a split index past the features, a child index past the nodes or a node
// that is its own child crash it or make it loop, and a declared array length is allocated
// before it is read. Model files come from anywhere, so their trees are checked here first.
#pragma once
#include <QByteArray>
#include <QString>

// The largest trees part a model may hold. The shipped model's 40 trees of depth 6 take
// 0.2 MB; reading the trees takes up to 16 times their size while they are checked.
inline constexpr qsizetype kMaxTreeBytes = 16 * 1024 * 1024;

// Checks bytes, trees as XGBoost writes them (universal binary JSON), against what this
// program trains: a two-class logistic model of gbtree trees on featureCount features, one
// tree per round. Every tree must be whole: all its arrays as long as its node count, node 0
// the root, each other node the child of exactly one node (no cycles, no shared or lost
// nodes) with a parent entry that says so, split features in range, finite split values and
// leaf weights, and nothing categorical. Returns an empty string when the trees are sound,
// else what is wrong, in plain words.
QString checkBoostedTrees(const QByteArray &bytes, int featureCount);
