// Remote requests: an operator at a controller punches a short program whose
// number is the machine's request program; its first comment names the program
// wanted. These are the rules that read such a program and build the answer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The program number of a program line ("O9999(...)", ":9999", "O09999"), as
// "O" and its digits without leading zeros; nothing when the line names none.
std::optional<std::string> ProgramNumberOf(std::string_view programLine);

// The first program line of a received text and whether its number is
// requestProgram (O9999 and O09999 are one number).
bool IsRequestProgram(std::string_view text, std::string_view requestProgram);

// The program that the text's first comment names: "(O1234)", "(1234)",
// "(REQ O1234)" or "(PRG=1234)" give "O1234". Nothing when the first comment
// has none of these forms.
std::optional<std::string> RequestedProgram(std::string_view text);

// The regular file name in folder, also when the folder's name for it differs
// only in letter case. Empty when there is none.
std::string FindFileAnyCase(const std::string& folder, std::string_view name);

// The file in folder that holds program: the receive job's name for it with
// extension, also when the folder's file differs only in letter case. Empty
// when there is none.
std::string FindProgramFile(const std::string& folder, std::string_view program,
                            std::string_view extension);

// The program sent back when the program asked for is not there:
// requestProgram with the comment "(NOT FOUND O1234)". The "%" lines stand in
// the text unless the send adds them itself (StartChar, EndChar).
std::string NotFoundReply(std::string_view requestProgram, std::string_view requested,
                          bool sendAddsStart, bool sendAddsEnd);
