#include "transfer/ReceiveNaming.h"

#include "files/CommandLine.h"
#include "platform/Paths.h"
#include "platform/SafeFileName.h"
#include "settings/Settings.h"

#include <cstdio>

std::string ProgramNameOf(std::string_view programLine) {
    std::string name(programLine.substr(0, programLine.find('(')));
    if (!name.empty() && name[0] == ':')
        name[0] = 'O';
    return name;
}

std::string ProgramNumberSuffix(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "_%03d", number);
    return text;
}

std::string ProgramFileName(std::string_view programName, int number, bool addNumber,
                            std::string_view extension) {
    std::string name(programName);
    if (addNumber)
        name += ProgramNumberSuffix(number);
    // The extension is the operator's mask, not received data: only the name is made safe.
    return SafeFileName(name) + std::string(extension);
}

std::string UnnamedFileName(std::time_t when, std::string_view extension) {
    std::tm local{};
    ::localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "NONAME_%Y%m%d_%H%M%S", &local);
    return text + std::string(extension);
}

std::string NumberedVariant(std::string_view fileName, int variant) {
    size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        dot = fileName.size();
    std::string name(fileName.substr(0, dot));
    name += '_' + std::to_string(variant);
    name += fileName.substr(dot);
    return name;
}

bool ExtensionNamesNoFile(std::string_view extension) {
    return extension.find_first_of("*?") != std::string_view::npos;
}

NamedTarget NamedReceiveTarget(const TSettings& settings, std::string_view typedName) {
    const bool allFiles = settings.ALLFiles == "Y";
    NamedTarget target;
    target.path = CopyTargetPath(settings.DirPath, typedName, allFiles, settings.Mask);
    target.fileName = std::string(typedName) + (allFiles ? "" : MaskExtension(settings.Mask));
    return target;
}
