// The operation table: every operation of the program stands here once, with its code,
// the main window's slot and action text, how the dispatcher prepares it, its name and
// parameters on the command line, and the headless run over an image model. Menus,
// dispatcher, command-line tool and the every-operation tests all read it.
#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "ops/imagemodel.h"
#include "ops/params.h"

class Progress;

// Where an operation works (the dispatcher's preparation).
enum class Preparation {
    Edit,      // a clone in a new window when "New window when editing" is on, else a working copy
    Tool,      // always a working copy in the same list
    AreaTool,  // nothing
    ReadOnly,  // nothing; the current image is only read
};

// One parameter of the command line: NAME=VALUE, with the dialog's default.
struct ParamSpec {
    const char *name;
    const char *defaultValue;
    const char *help;
};

// Notes a run leaves for the user (values it had to handle specially, and the like).
using Notes = QStringList;

// Runs the operation on the model's current image (the working copy) and may append
// images. Throws on failure; the caller rolls the model back.
using CoreRun = std::function<void(ImageModel &model, const Params &params, Progress &progress, Notes &notes)>;

struct OperationRow {
    int code;
    const char *slot;        // main-window slot, e.g. "f_invert"
    const char *actionText;  // untranslated action text (translation context MainWindow)
    bool translated;         // four action texts stay English
    Preparation preparation;
    const char *cliName;     // empty when the command line does not offer it
    std::vector<ParamSpec> params;
    CoreRun run;             // empty until the operation is built
    const char *summary;     // one line for the command line's help
};

// All 31 operations, ordered by code (row i has code i).
const std::vector<OperationRow> &operationTable();
const OperationRow &operationRow(int code);
// The row with this command-line name, or nullptr.
const OperationRow *findOperation(const QString &cliName);
