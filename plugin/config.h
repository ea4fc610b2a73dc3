// The player's configure callback.
#ifndef PIPWICK_CONFIG_H
#define PIPWICK_CONFIG_H

// The options dialog; confirmed settings are saved and applied at once.
void pluginConfig();

#endif
