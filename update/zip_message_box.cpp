#include "update/zip_message_box.h"

#include "platform/app_title.h"
#include "platform/message_box.h"

std::wstring ZipMessageBoxText(int number, const std::wstring& text) {
    return text + L"\n\n(Meldung Nr. " + std::to_wstring(number) + L")";
}

void ShowZipMessagesInBoxes(ZipArchive& zip, HWND owner) {
    zip.OnMessage = [owner](int number, const std::wstring& text) {
        ShowBox(owner, ZipMessageBoxText(number, text), AppTitle(), BoxKind::Warning, BoxButtons::Ok);
    };
}
