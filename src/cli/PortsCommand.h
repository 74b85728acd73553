// The command-line tool's "ports" command: every COM name the program knows
// (section Ports of Dravik.INI and the devices present), each diagnosed and
// printed with what the operator can do about its problems.
#pragma once

#include "platform/PortDiagnosis.h"

#include <ostream>

// Prints the report of the ports that ports (the settings' Ports section) and
// the present devices give. 0 when every port can be used now; 1 when one
// cannot, or when there is no port at all (nothing to transfer over is no success).
int RunPorts(const PortMap& ports, std::ostream& out, const PortDiagnosisRoots& roots = {});
