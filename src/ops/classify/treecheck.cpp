#include "ops/classify/treecheck.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <string>
#include <vector>

namespace {

using Json = nlohmann::json;

// Thrown for the first fault found; the message says what is wrong.
struct Fault {
    QString what;
};

[[noreturn]] void fault(const QString &what) { throw Fault{what}; }

const Json &member(const Json &object, const char *key)
{
    if (!object.is_object() || !object.contains(key)) fault(QString("\"%1\" is missing").arg(key));
    return object[key];
}

// The library keeps its parameters as text: "20", "5E-1".
std::string text(const Json &object, const char *key)
{
    const Json &value = member(object, key);
    if (!value.is_string()) fault(QString("\"%1\" is not text").arg(key));
    return value.get<std::string>();
}

void expectText(const Json &object, const char *key, const std::string &expected)
{
    if (text(object, key) != expected)
        fault(QString("\"%1\" is \"%2\", not \"%3\"")
                  .arg(key, QString::fromStdString(text(object, key)), QString::fromStdString(expected)));
}

// A parameter that is a whole number written as text, within [low, high].
long long count(const Json &object, const char *key, long long low, long long high)
{
    const std::string value = text(object, key);
    size_t used = 0;
    long long n = -1;
    try {
        n = std::stoll(value, &used);
    } catch (const std::exception &) {
        used = 0;
    }
    if (used == 0 || used != value.size() || n < low || n > high)
        fault(QString("\"%1\" is \"%2\", not a count from %3 to %4").arg(key, QString::fromStdString(value)).arg(low).arg(high));
    return n;
}

const Json &arrayOf(const Json &object, const char *key, size_t size)
{
    const Json &array = member(object, key);
    if (!array.is_array() || array.size() != size)
        fault(QString("\"%1\" does not hold %2 entries").arg(key).arg(size));
    return array;
}

std::vector<long long> integers(const Json &tree, const char *key, size_t size)
{
    std::vector<long long> values;
    values.reserve(size);
    for (const Json &v : arrayOf(tree, key, size)) {
        if (!v.is_number_integer()) fault(QString("\"%1\" holds a value that is not a whole number").arg(key));
        values.push_back(v.get<long long>());
    }
    return values;
}

void requireFinite(const Json &tree, const char *key, size_t size)
{
    for (const Json &v : arrayOf(tree, key, size))
        if (!v.is_number() || !std::isfinite(v.get<double>()))
            fault(QString("\"%1\" holds a value that is not a finite number").arg(key));
}

// Node 0 is the root; every other node is reached exactly once, from the node its parent
// entry names. Walked with a stack of its own, so a deep tree cannot exhaust the call stack.
void checkShape(const std::vector<long long> &left, const std::vector<long long> &right,
                const std::vector<long long> &parents)
{
    const long long n = (long long)left.size();
    constexpr long long kRootParent = 2147483647;  // the library's "no parent", its top bit cleared
    if (parents[0] != kRootParent) fault("node 0 is not the root");
    std::vector<bool> reached(size_t(n), false);
    std::vector<long long> stack{0};
    reached[0] = true;
    long long seen = 1;
    while (!stack.empty()) {
        const long long node = stack.back();
        stack.pop_back();
        const long long l = left[size_t(node)], r = right[size_t(node)];
        if (l == -1 && r == -1) continue;  // a leaf
        for (const long long child : {l, r}) {
            if (child < 1 || child >= n) fault(QString("node %1 has a child outside the tree").arg(node));
            if (reached[size_t(child)]) fault(QString("node %1 is reached twice: the nodes do not form a tree").arg(child));
            if (parents[size_t(child)] != node) fault(QString("node %1 does not name its parent").arg(child));
            reached[size_t(child)] = true;
            ++seen;
            stack.push_back(child);
        }
    }
    if (seen != n) fault("some nodes are not part of the tree");
}

void checkTree(const Json &tree, long long index, int featureCount)
{
    if (!tree.is_object()) fault("a tree is not a tree");
    const Json &id = member(tree, "id");
    if (!id.is_number_integer() || id.get<long long>() != index) fault("the trees are not numbered in order");
    const Json &param = member(tree, "tree_param");
    const long long nodes = count(param, "num_nodes", 1, kMaxTreeBytes);
    expectText(param, "num_feature", std::to_string(featureCount));
    expectText(param, "num_deleted", "0");
    expectText(param, "size_leaf_vector", "0");
    const size_t n = size_t(nodes);
    const std::vector<long long> left = integers(tree, "left_children", n), right = integers(tree, "right_children", n),
                                 parents = integers(tree, "parents", n);
    for (const long long feature : integers(tree, "split_indices", n))
        if (feature < 0 || feature >= featureCount) fault(QString("a split uses feature %1 of %2").arg(feature).arg(featureCount));
    for (const long long flag : integers(tree, "default_left", n))
        if (flag != 0 && flag != 1) fault("\"default_left\" holds a value that is neither 0 nor 1");
    for (const long long type : integers(tree, "split_type", n))
        if (type != 0) fault("a split is categorical");
    for (const char *key : {"split_conditions", "base_weights", "loss_changes", "sum_hessian"}) requireFinite(tree, key, n);
    for (const char *key : {"categories", "categories_nodes", "categories_segments", "categories_sizes"})
        arrayOf(tree, key, 0);
    checkShape(left, right, parents);
}

void checkModel(const Json &root, int featureCount)
{
    const Json &learner = member(root, "learner");
    expectText(member(learner, "objective"), "name", "binary:logistic");
    const Json &param = member(learner, "learner_model_param");
    expectText(param, "num_feature", std::to_string(featureCount));
    expectText(param, "num_class", "0");
    if (param.contains("num_target")) expectText(param, "num_target", "1");
    const std::string baseScore = text(param, "base_score");
    char *end = nullptr;
    const double base = std::strtod(baseScore.c_str(), &end);
    if (baseScore.empty() || *end != '\0' || !(base > 0.0 && base < 1.0)) fault("\"base_score\" is not a probability");
    const Json &booster = member(learner, "gradient_booster");
    expectText(booster, "name", "gbtree");
    const Json &model = member(booster, "model");
    const Json &boosterParam = member(model, "gbtree_model_param");
    expectText(boosterParam, "num_parallel_tree", "1");
    if (boosterParam.contains("size_leaf_vector")) expectText(boosterParam, "size_leaf_vector", "0");
    const Json &trees = member(model, "trees");
    if (!trees.is_array() || trees.empty()) fault("there are no trees");
    if (count(boosterParam, "num_trees", 1, kMaxTreeBytes) != (long long)trees.size())
        fault("the number of trees does not match their count");
    for (const long long group : integers(model, "tree_info", trees.size()))
        if (group != 0) fault("a tree belongs to another class");
    for (size_t i = 0; i < trees.size(); ++i) checkTree(trees[i], (long long)i, featureCount);
}

}  // namespace

QString checkBoostedTrees(const QByteArray &bytes, int featureCount)
{
    if (bytes.size() > kMaxTreeBytes)
        return QString("its trees take %1 MB, more than the %2 MB a model may hold")
            .arg(double(bytes.size()) / (1024.0 * 1024.0), 0, 'f', 1)
            .arg(kMaxTreeBytes / (1024 * 1024));
    try {
        const Json root = Json::from_ubjson(bytes.begin(), bytes.end(), true, false);
        if (root.is_discarded()) return "its trees cannot be read";
        checkModel(root, featureCount);
    } catch (const Fault &f) {
        return "its trees are not sound: " + f.what;
    } catch (const std::exception &) {
        return "its trees cannot be read";
    }
    return {};
}
