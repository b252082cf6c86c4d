// The operation table: every operation of the program stands here once, with its code,
// the main window's slot and action text, how the dispatcher prepares it, its name and
// parameters on the command line, the headless run over an image model, and how the
// window runs it (how it asks, what it reports, where its action stands in the menus and
// toolbars). Menus, toolbars, dispatcher, view, command-line tool and the every-operation
// tests all read it.
#pragma once
#include <QString>
#include <QMap>
#include <QStringList>
#include <functional>
#include <vector>

#include "ops/core/imagemodel.h"
#include "ops/core/notes.h"
#include "ops/core/params.h"
#include "ops/table/toolstate.h"

class Progress;

// Where an operation works (the dispatcher's preparation).
enum class Preparation {
    Edit,      // a clone in a new window when "New window when editing" is on, else a working copy
    Tool,      // always a working copy in the same list
    AreaTool,  // nothing
    ReadOnly,  // nothing; the current image is only read
};

// The operation codes; the numbers are those the main window's actions carry.
enum class OpCode : int {
    Erode = 0, Dilate = 1, Open = 2, Close = 3, Invert = 4, TopHat = 5, MGradient = 6, Normalize = 7,
    GaussBlur = 8, Sqrt = 9, Power = 10, Log2 = 11, Fft = 12, InvFft = 13, Eigenv = 14, LaplEnh = 15,
    HessEnh = 16, HomoVes = 17, VesNonl = 18, HystThres = 19, Threshold = 20, FuzzyClust = 21,
    Skeletonize = 22, SelectRect = 23, SelectEllipse = 24, SelectArea = 25, GrayStats = 26, BwStats = 27,
    Erase = 28, ZhangSuen = 29, SelectPoly = 30, VesselClassifier = 31,
    MorphometryOverlay = 32, ScribbleClassifier = 33, VesselStenosis = 34, SegmentFrames = 35, RunCurve = 36,
};
inline constexpr int kOperationCount = 37;

// What a parameter's value is: a whole number or a number within [minimum, maximum], a
// flag (0 or 1), one of the words listed in `help`, separated by ", " and "or", or any
// text (a file name).
enum class ParamKind { Integer, Number, Flag, Choice, Text };

// One parameter: NAME=VALUE on the command line, a field of the operation's dialog.
struct ParamInfo {
    const char *name;
    const char *label;         // the dialog's prompt, untranslated (context PixmapWidget)
    ParamKind kind;
    double minimum, maximum;   // Integer and Number only
    const char *defaultValue;  // "" when the operation decides without it
    const char *help;          // one line for the command line's help
};

// How the window asks for an operation's parameters before it runs.
enum class Ask {
    Nothing,  // runs at once
    Number,   // an input box for the first parameter: its label, range and default
    Disc,     // the structuring-element dialog for the disc size, the first parameter
    Own,      // the view's own interaction: previews, a dialog of its own, a live display
    Tool,     // a selection tool, switched on and off by the main window's selection rule
};

// The menus and toolbars of the main window that carry operation actions.
// Run: the Image menu's entries for the frames of a run, beside the image navigation.
enum class MenuGroup { None, Select, Statistics, General, Morphology, Vessel, NonLinear, Run };
enum class ToolBarGroup { None, General, Morphology, NonLinear, Vessel };

// Where an action stands in a menu or toolbar: ordered by position, with a separator
// before it when asked.
template <class Group>
struct Place {
    Group group = Group::None;
    int position = 0;
    bool separatorBefore = false;
};


struct OperationRow;

// An operation's parameters checked against its row: each parameter of the row holds the
// value given, else the row's default, already of its kind and inside its range, so a run
// reads its values without a fallback or a check of its own. A parameter whose default is
// "" and that was not given has no value.
class ParamValues {
public:
    ParamValues() = default;
    // Checks given against row (see validate) and fills in the defaults.
    ParamValues(const OperationRow &row, const Params &given);
    int integer(const char *name) const { return int(value(name).number); }
    double number(const char *name) const { return value(name).number; }
    bool flag(const char *name) const { return value(name).number != 0.0; }
    QString text(const char *name) const { return value(name).text; }
    bool has(const char *name) const { return values_.contains(name); }
    // Whether the caller gave it, rather than the row's default.
    bool given(const char *name) const { return has(name) && value(name).given; }

private:
    struct Value {
        double number = 0.0;  // Integer, Number and Flag (0 or 1)
        QString text;         // Choice and Text; the given or default text for all kinds
        bool given = false;
    };
    // Throws std::logic_error for a name without a value: a run asking for what its row
    // does not declare is a fault of the program.
    const Value &value(const char *name) const;
    QMap<QString, Value> values_;
};

// Runs the operation on the model's current image (the working copy) and may append
// images. Throws on failure; the caller rolls the model back.
using CoreRun = std::function<void(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes)>;

struct OperationRow {
    OpCode code;
    const char *slot;        // main-window slot, e.g. "f_invert"
    const char *actionText;  // untranslated action text (translation context MainWindow)
    bool translated;         // four action texts stay English
    Preparation preparation;
    const char *cliName;     // empty when the command line does not offer it
    std::vector<ParamInfo> params;
    CoreRun run;             // empty until the operation is built
    const char *summary;     // one line for the command line's help
    // How the window runs it.
    Ask ask = Ask::Nothing;
    const char *doneText = "";   // the "Filter applied" text, untranslated (context PixmapWidget),
                                 // %1 the asked number; "" when the operation reports nothing
    Place<MenuGroup> menu = {};
    Place<ToolBarGroup> toolBar = {};
    const char *statusTip = "";  // untranslated (context MainWindow)
    const char *askTitle = "";   // the number input box's title (context PixmapWidget)
    bool liveDisplay = false;    // shows each result on the way, its progress from the start
    tool::State tool = tool::Normal;  // Ask::Tool rows: the view's state their action switches on
    const char *viewHook = "";        // Ask::Own rows: the view's invokable method that runs them
    const char *segmentMethod = "";   // the name of quendra-cli segment --method, or ""
    bool showsNavigation = false;     // the window shows the image navigation beside its dialog
    bool keepsScribbles = false;      // runs beside the scribble tool instead of ending it
    // What the window tells about the current image before the run, or nullptr.
    QString (*notice)(const Image &current) = nullptr;
};

// Plain operations run as one transaction after their parameters were asked; the others
// (Ask::Own, Ask::Tool) have an interaction of their own.
inline bool isPlain(const OperationRow &row) { return row.ask != Ask::Own && row.ask != Ask::Tool; }

// All operations, ordered by code (row i has code i).
const std::vector<OperationRow> &operationTable();
const OperationRow &operationRow(OpCode code);
// The row with this command-line name, or nullptr.
const OperationRow *findOperation(const QString &cliName);
// The row that segment --method name runs, or nullptr; and every such name, in table order.
const OperationRow *findSegmentMethod(const QString &name);
QStringList segmentMethods();
// The tool row whose action switches state on, or nullptr.
const OperationRow *findToolRow(tool::State state);

// The parameter called name, or nullptr.
const ParamInfo *findParam(const OperationRow &row, const QString &name);
// Checks every given parameter against the row before any work: a known name, a value of
// its kind, inside its range. Throws std::invalid_argument naming the operation, the
// parameter and what it accepts.
void validate(const OperationRow &row, const Params &params);

// How a run ended.
enum class RunResult { Done, BadParameters, OutOfMemory, Failed, Cancelled };

struct RunOutcome {
    RunResult result = RunResult::Done;
    Notes notes;    // for the user, also after success
    QString error;  // why it failed, in plain words; empty when done
    bool ok() const { return result == RunResult::Done; }
};

// The one way an operation runs on a model, whoever asks (window, command line, tests):
// validate the parameters, mark the list, prepare as the row says (a working copy of the
// current image for Edit and Tool rows, unless the caller already works on a clone), run
// with the defaults of the parameters not given, and on any failure roll the model back
// to the mark, so the list is exactly as before. Never throws.
RunOutcome runOperation(ImageModel &model, const OperationRow &row, const Params &params, Progress &progress,
                        bool inClone = false);
