#include "fake_mail.h"

#include "delivery/mapi_unicode.h"
#include "sim_object.h"

namespace test {

std::vector<Mail> mails;
ULONG mailResult = SUCCESS_SUCCESS;

namespace {

std::string AnsiToUtf8(const char* text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(n > 0 ? n - 1 : 0, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    return sim::Narrow(wide);
}

ULONG WINAPI SendAnsi(LHANDLE, ULONG_PTR owner, lpMapiMessage m, FLAGS flags, ULONG) {
    mails.push_back({"A", m->lpszSubject == nullptr, m->lpszSubject ? m->lpszSubject : "",
                     m->lpszNoteText ? m->lpszNoteText : "", AnsiToUtf8(m->lpFiles[0].lpszPathName),
                     AnsiToUtf8(m->lpFiles[0].lpszFileName), m->nRecipCount, m->nFileCount, m->lpFiles[0].nPosition,
                     flags, owner});
    return mailResult;
}

ULONG WINAPI SendWide(LHANDLE, ULONG_PTR owner, vrz::MapiMessageW* m, FLAGS flags, ULONG) {
    mails.push_back({"W", m->lpszSubject == nullptr, m->lpszSubject ? sim::Narrow(m->lpszSubject) : "",
                     m->lpszNoteText ? sim::Narrow(m->lpszNoteText) : "", sim::Narrow(m->lpFiles[0].lpszPathName),
                     sim::Narrow(m->lpFiles[0].lpszFileName), m->nRecipCount, m->nFileCount, m->lpFiles[0].nPosition,
                     flags, owner});
    return mailResult;
}

}  // namespace

std::map<std::string, FARPROC> MailExports(bool withUnicode) {
    std::map<std::string, FARPROC> exports = {{"MAPISendMail", reinterpret_cast<FARPROC>(&SendAnsi)}};
    if (withUnicode) exports["MAPISendMailW"] = reinterpret_cast<FARPROC>(&SendWide);
    return exports;
}

}  // namespace test
