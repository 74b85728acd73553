#include "cli/PortsCommand.h"

#include <algorithm>

int RunPorts(const PortMap& ports, std::ostream& out, const PortDiagnosisRoots& roots) {
    PortMap known = KnownPorts(ports, ListSerialDevices(roots.sysClassTty, roots.dev));
    if (known.empty()) {
        out << "no serial port: [Ports] of Dravik.INI names none and no serial device was "
               "found under "
            << roots.sysClassTty.string() << "\n";
        return 1;
    }
    std::vector<PortDiagnosis> diagnoses = DiagnosePorts(known, roots);
    out << FormatPortDiagnoses(diagnoses);
    return std::all_of(diagnoses.begin(), diagnoses.end(), PortUsable) ? 0 : 1;
}
