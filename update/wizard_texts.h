// The update wizard's fixed texts on its pages.
#pragma once

inline constexpr const wchar_t* kWelcomeText =
    L"In regelmäßigen Abständen sollte im Internet nach Programmverbesserungen und -updates "
    L"gesucht werden, um möglichen Programmfehlern vorzubeugen.\r\nKlicken Sie auf \"Weiter\", um "
    L"jetzt nach neuen Updates zu suchen, oder auf \"Abbrechen\", um zu einem anderen Zeitpunkt "
    L"nach Programmverbesserungen zu suchen.\r\n\r\nKlicken Sie auf \"Einstellungen\", um "
    L"festzulegen, ob und in welchen Abständen Sie zum Suchen nach Updates aufgefordert werden "
    L"möchten.";
inline constexpr const wchar_t* kCheckText =
    L"Stellen Sie sicher, dass eine Internetverbindung besteht, und klicken Sie auf \"Jetzt auf "
    L"neue Updates prüfen\".";
inline constexpr const wchar_t* kFinishText =
    L"Die Installation wurde vorbereitet.\r\nKlicken Sie auf \"Beenden\", um die alten Dateien zu "
    L"ersetzen. Ein Neustart des Computers ist nicht erforderlich.\r\n\r\nWenn Sie nicht die Option "
    L"zum automatischen Neustart des Programms aktiviert haben, müssen Sie das Programm nach der "
    L"Installation manuell neu starten.";
inline constexpr const wchar_t* kNeverText =
    L"Wenn Sie diese Option aktivieren, werden Sie nicht automatisch zum Suchen nach neuen Updates "
    L"aufgefordert. Sie haben dann aber immer noch die Möglichkeit, über die Tastenkombination "
    L"Strg+U die Suche nach Updates zu starten.";
inline constexpr const wchar_t* kRegularText =
    L"Aktivieren Sie diese Option, um in festgelegten Abständen automatisch zum Suchen nach neuen "
    L"Updates aufgefordert zu werden. Dies geschieht dann jeweils unmittelbar nach dem Starten "
    L"des Programms.";
