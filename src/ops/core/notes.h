// Notes a run leaves for the user: values it had to handle specially, and the like.
#pragma once
#include <QStringList>

using Notes = QStringList;
