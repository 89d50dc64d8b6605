#pragma once
// The Unicode Simple MAPI message (MAPISendMailW), laid out as the ANSI one with wide texts.
#include <windows.h>
#include <mapi.h>

namespace vrz {

struct MapiFileDescW {
    ULONG ulReserved;
    ULONG flFlags;
    ULONG nPosition;
    PWSTR lpszPathName;
    PWSTR lpszFileName;
    PVOID lpFileType;
};

struct MapiRecipDescW {
    ULONG ulReserved;
    ULONG ulRecipClass;
    PWSTR lpszName;
    PWSTR lpszAddress;
    ULONG ulEIDSize;
    PVOID lpEntryID;
};

struct MapiMessageW {
    ULONG ulReserved;
    PWSTR lpszSubject;
    PWSTR lpszNoteText;
    PWSTR lpszMessageType;
    PWSTR lpszDateReceived;
    PWSTR lpszConversationID;
    FLAGS flFlags;
    MapiRecipDescW* lpOriginator;
    ULONG nRecipCount;
    MapiRecipDescW* lpRecips;
    ULONG nFileCount;
    MapiFileDescW* lpFiles;
};

using MapiSendMailW = ULONG(WINAPI*)(LHANDLE session, ULONG_PTR uiParam, MapiMessageW* message, FLAGS flags,
                                     ULONG reserved);

}  // namespace vrz
