// The global state of the application shell with its start values: the loop begins in the main
// menu with music and sound on, no session, and the progress file named brakkon.dat.
#include "state/globals.h"

#include "xml/xml_document.h"

int gameState = STATE_MAIN_MENU;
int sessionCommand = COMMAND_NONE;
int currentLevel = 1;
int musicOn = 1;
int soundOn = 1;
int gameCompleted = 0;
TPlaySettings playSettings;
int levelCount = 0;
std::shared_ptr<TGame> session;
std::shared_ptr<TMenu> mainMenu;
std::shared_ptr<TMenuGame> pauseMenu;
std::shared_ptr<TLevSelect> levelSelect;
std::shared_ptr<TWin> winScreen;
std::shared_ptr<TSettingsScreen> settingsScreen;
std::shared_ptr<xmlDocument> optionsDoc;
std::string optionsFileName = "brakkon.dat";
int optionsEncrypt = 1;
std::array<SoundPtr, 4> musicList;
ChannelPtr musicChannel;
int musicIndex = 0;
ImagePtr backgroundImage;
ChannelPtr rainChannel;
int graphicsHertz = 0;
int loadingDots = 0;
TSharedMedia shared;
