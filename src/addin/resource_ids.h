#pragma once
// Ids of the texts and bitmaps taken from the resource library "VRZAddinsRes.dll".
namespace vrz::res {
enum : unsigned {
    MenuTitle = 101,
    Publish = 205,
    PublishMail = 206,
    ToolbarName = 211,
    Help = 212,
    MessageCaption = 501,
    NoWriterPrinter = 503,
    PublishFailed = 504,
    MailFailed = 505,
    MailFailedCaption = 506,
    NoProjectContent = 509,
    NoDefaultPrinter = 510,
    NoteLine1 = 601,
    NoteLine3 = 602,
    NoteLine2 = 603,
    PublishFace = 107,
    PublishMask = 108,
    PublishMailFace = 111,
    PublishMailMask = 112,
};
}
