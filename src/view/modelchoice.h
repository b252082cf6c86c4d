// The vessel models the program ships, offered by what they are for, and the file dialog for
// a model of the user's own: "Vessel classifier..." and the scribble tool offer the same.
#pragma once
#include <QString>
#include <vector>

class QWidget;

struct ShippedModel {
    QString label;  // what it is for, as offered ("Retina photographs (network)")
    QString path;
    bool network = false;
};

// The shipped models that are installed, in the order they are offered.
std::vector<ShippedModel> installedModels();

// The item that asks for a model file instead.
QString modelFileItem();

// Asks for a model file through the dialog seam; empty when the user cancelled.
QString askModelFile(QWidget *parent);
