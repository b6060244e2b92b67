#pragma once

// Child-control identifiers of the wizard form.
enum WizardControlId {
    IdNext = 100, IdBack, IdCancel, IdDelCurLink, IdHelp,
    IdExistingFile = 200, IdButton1, IdButton4,
    IdDir = 300, IdDesktop, IdStartmenu, IdPrograms, IdSendTo, IdQuickLaunch, IdAutorun, IdUp, IdLinkFile,
    IdDescription = 400,
    IdStandard = 500, IdIFile, IdIconFile, IdChoseIcon, IdButton3, IdWinIconsFile, IdIcon, IdIconLabel,
    IdKindFolder = 600, IdKindFile,
};
