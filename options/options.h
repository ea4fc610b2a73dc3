// The player's configure callback: the modal options dialog.
#ifndef PIPWICK_OPTIONS_H
#define PIPWICK_OPTIONS_H

void pluginConfig();

#endif
