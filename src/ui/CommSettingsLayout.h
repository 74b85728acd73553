// Layout of the communication settings panel inside the main window's GroupBox1.
#pragma once

#include "transfer/qt/CommSettingsPanel.h"

class QWidget;

// Creates the captions, the thirteen fields and the legend inside box.
CommPanelControls BuildCommPanelLayout(QWidget* box);
