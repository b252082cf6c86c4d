#include "ops/operations.h"

#include "ops/enhancementruns.h"
#include "ops/fuzzy.h"
#include "ops/hysteresis.h"
#include "ops/morphology.h"
#include "ops/pointops.h"
#include "ops/thinning.h"
#include "ops/threshold.h"

namespace {

using P = Preparation;

std::vector<OperationRow> buildTable()
{
    // Keep the rows in code order: row i is code i.
    return {
        {0, "f_erode", QT_TRANSLATE_NOOP("MainWindow", "Erosion"), true, P::Edit, "erode", {{"size", "3", "disc size"}}, runErode, "grayscale erosion with a disc"},
        {1, "f_dilate", QT_TRANSLATE_NOOP("MainWindow", "Dilation"), true, P::Edit, "dilate", {{"size", "3", "disc size"}}, runDilate, "grayscale dilation with a disc"},
        {2, "f_open", QT_TRANSLATE_NOOP("MainWindow", "Opening"), true, P::Edit, "open", {{"size", "3", "disc size"}}, runOpen, "erosion, then dilation"},
        {3, "f_close", QT_TRANSLATE_NOOP("MainWindow", "Closing"), true, P::Edit, "close", {{"size", "3", "disc size"}}, runClose, "dilation, then erosion"},
        {4, "f_invert", QT_TRANSLATE_NOOP("MainWindow", "Invert"), true, P::Edit, "invert", {}, runInvert, "v -> 255 - v"},
        {5, "f_tophat", QT_TRANSLATE_NOOP("MainWindow", "Top-hat"), true, P::Edit, "tophat", {{"size", "3", "disc size"}}, runTopHat, "white top-hat"},
        {6, "f_mgradient", QT_TRANSLATE_NOOP("MainWindow", "Morph. gradient"), true, P::Edit, "gradient", {{"size", "3", "disc size"}}, runGradient, "dilation minus erosion"},
        {7, "f_normalize", QT_TRANSLATE_NOOP("MainWindow", "Normalize"), true, P::Edit, "normalize", {}, runNormalize, "stretch the values to 0..255"},
        {8, "f_gaussblur", QT_TRANSLATE_NOOP("MainWindow", "Gaussian blur"), true, P::Edit, "", {}, runNothing, "the working copy only"},
        {9, "f_sqrt", QT_TRANSLATE_NOOP("MainWindow", "Square root"), true, P::Edit, "sqrt", {}, runSqrt, "square root, normalized"},
        {10, "f_power", QT_TRANSLATE_NOOP("MainWindow", "Power"), true, P::Edit, "power", {{"exponent", "2", "0 to 100"}}, runPower, "power, normalized"},
        {11, "f_log2", QT_TRANSLATE_NOOP("MainWindow", "Logarithm 2"), true, P::Edit, "log", {}, runLog, "logarithm, normalized"},
        {12, "f_fft", QT_TRANSLATE_NOOP("MainWindow", "Magnitude spectrum"), true, P::Edit, "fft", {}, runFft, "Fourier magnitude spectrum"},
        {13, "f_invfft", "Inverse FFT", false, P::Edit, "invfft", {}, runInvFft, "inverse Fourier transform"},
        {14, "f_eigenv", "Eigenvls. of hessian M.", false, P::Edit, "eigen", {}, runEigen, "eigenvalues of the Hessian"},
        {15, "f_laplenh", QT_TRANSLATE_NOOP("MainWindow", "Laplacian pyramid"), true, P::Edit, "laplacian", {}, runLaplEnh, "Laplacian pyramid enhancement"},
        {16, "f_hessenh", QT_TRANSLATE_NOOP("MainWindow", "Hessian enhancement"), true, P::Edit, "hessian", {}, runHessEnh, "Hessian vessel enhancement"},
        {17, "f_homoves", QT_TRANSLATE_NOOP("MainWindow", "Homomorphic filter"), true, P::Edit, "homomorphic", {}, runHomomorphic, "homomorphic filter"},
        {18, "f_vesnonl", QT_TRANSLATE_NOOP("MainWindow", "Non-linear filter"), true, P::Edit, "nonlinear", {}, runNonLinear, "non-linear vessel filter"},
        {19, "f_hystthres", QT_TRANSLATE_NOOP("MainWindow", "Hysteresis thresholding"), true, P::Edit, "hysteresis",
         {{"disc", "13", "top-hat disc size"}, {"preset", "retina", "retina, skin or coronary"},
          {"vessel", "", "vessel coverage in percent"}, {"background", "", "background coverage in percent"}},
         runHysteresis, "vessel segmentation by hysteresis thresholding"},
        {20, "f_threshold", "Thresholding", false, P::Edit, "threshold",
         {{"border", "0", "threshold border 0..255"}, {"invert", "0", "invert afterwards (0 or 1)"}}, runThreshold,
         "binary threshold"},
        {21, "f_fuzzyclust", QT_TRANSLATE_NOOP("MainWindow", "Fuzzy clustering"), true, P::Edit, "fuzzy", {}, runFuzzy, "automatic segmentation"},
        {22, "f_thinning", QT_TRANSLATE_NOOP("MainWindow", "Skeletonizing"), true, P::Edit, "skeletonize", {}, runSkeletonize, "hit-or-miss skeleton"},
        {23, "f_selectrect", QT_TRANSLATE_NOOP("MainWindow", "Select rectangle"), true, P::Tool, "", {}, nullptr, ""},
        {24, "f_selectellipse", QT_TRANSLATE_NOOP("MainWindow", "Select ellipse"), true, P::Tool, "", {}, nullptr, ""},
        {25, "f_selectarea", QT_TRANSLATE_NOOP("MainWindow", "Selection mode"), true, P::AreaTool, "", {}, nullptr, ""},
        {26, "f_graystats", QT_TRANSLATE_NOOP("MainWindow", "Graylevel image statistics"), true, P::ReadOnly, "", {}, nullptr, ""},
        {27, "f_bwstats", QT_TRANSLATE_NOOP("MainWindow", "Binary image statistics"), true, P::ReadOnly, "", {}, nullptr, ""},
        {28, "f_erase", "Erase tool", false, P::Edit, "", {}, nullptr, ""},
        {29, "f_zhangsuen", QT_TRANSLATE_NOOP("MainWindow", "Thinning"), true, P::Edit, "thin", {}, runZhangSuen, "Zhang-Suen thinning"},
        {30, "f_selectpoly", QT_TRANSLATE_NOOP("MainWindow", "Select polygon"), true, P::Tool, "", {}, nullptr, ""},
    };
}

}  // namespace

const std::vector<OperationRow> &operationTable()
{
    static const std::vector<OperationRow> table = buildTable();
    return table;
}

const OperationRow &operationRow(int code) { return operationTable().at(size_t(code)); }

const OperationRow *findOperation(const QString &cliName)
{
    if (cliName.isEmpty()) return nullptr;
    for (const OperationRow &row : operationTable())
        if (cliName == QLatin1String(row.cliName)) return &row;
    return nullptr;
}
