// Shows the message boxes of the program and of the libraries as real dialogs.
#pragma once

void InstallDialogMessageBoxes();
