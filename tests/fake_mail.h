#pragma once
// A fake mail library: MAPISendMail and MAPISendMailW that record what they were handed.
#include <windows.h>
#include <mapi.h>

#include <map>
#include <string>
#include <vector>

namespace test {

struct Mail {
    std::string api;  // "A" or "W"
    bool subjectNull = false;
    std::string subject, note;  // the ANSI bytes, or UTF-8 for the Unicode call
    std::string path, fileName;  // UTF-8
    ULONG recipients = 0, files = 0, position = 0;
    FLAGS flags = 0;
    ULONG_PTR owner = 0;
};

extern std::vector<Mail> mails;
extern ULONG mailResult;  // what the fake answers

// The exports of a mail library with both calls (withUnicode false: the ANSI call only).
std::map<std::string, FARPROC> MailExports(bool withUnicode = true);

}  // namespace test
