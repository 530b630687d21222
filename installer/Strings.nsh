; The installer's own texts in the program's four languages (Modern UI translates its standard pages).
; $(^NameDA) is the product's name.

LangString ModeTitle ${LANG_ENGLISH} "Installation type"
LangString ModeTitle ${LANG_FRENCH} "Type d'installation"
LangString ModeTitle ${LANG_GERMAN} "Installationsart"
LangString ModeTitle ${LANG_SPANISH} "Tipo de instalación"

LangString ModeSubtitle ${LANG_ENGLISH} "Choose who will use $(^NameDA)."
LangString ModeSubtitle ${LANG_FRENCH} "Choisissez qui utilisera $(^NameDA)."
LangString ModeSubtitle ${LANG_GERMAN} "Wählen Sie, wer $(^NameDA) verwenden wird."
LangString ModeSubtitle ${LANG_SPANISH} "Elija quién usará $(^NameDA)."

LangString ModeIntro ${LANG_ENGLISH} "Install $(^NameDA):"
LangString ModeIntro ${LANG_FRENCH} "Installer $(^NameDA) :"
LangString ModeIntro ${LANG_GERMAN} "$(^NameDA) installieren:"
LangString ModeIntro ${LANG_SPANISH} "Instalar $(^NameDA):"

LangString ModeCurrentUser ${LANG_ENGLISH} "Only for me (no administrator rights needed)"
LangString ModeCurrentUser ${LANG_FRENCH} "Pour moi seulement (sans droits d'administrateur)"
LangString ModeCurrentUser ${LANG_GERMAN} "Nur für mich (ohne Administratorrechte)"
LangString ModeCurrentUser ${LANG_SPANISH} "Solo para mí (sin derechos de administrador)"

LangString ModeAllUsers ${LANG_ENGLISH} "For everyone who uses this computer (administrator rights needed)"
LangString ModeAllUsers ${LANG_FRENCH} "Pour tous les utilisateurs de cet ordinateur (droits d'administrateur requis)"
LangString ModeAllUsers ${LANG_GERMAN} "Für alle Benutzer dieses Computers (Administratorrechte erforderlich)"
LangString ModeAllUsers ${LANG_SPANISH} "Para todos los usuarios de este equipo (se necesitan derechos de administrador)"

LangString ElevationRefused ${LANG_ENGLISH} "Administrator rights were not granted, so $(^NameDA) cannot be installed for everyone. Choose to install it only for yourself, or try again."
LangString ElevationRefused ${LANG_FRENCH} "Les droits d'administrateur n'ont pas été accordés : $(^NameDA) ne peut pas être installé pour tous les utilisateurs. Installez-le pour vous seulement, ou réessayez."
LangString ElevationRefused ${LANG_GERMAN} "Es wurden keine Administratorrechte erteilt, daher kann $(^NameDA) nicht für alle Benutzer installiert werden. Installieren Sie es nur für sich selbst oder versuchen Sie es erneut."
LangString ElevationRefused ${LANG_SPANISH} "No se concedieron derechos de administrador, así que $(^NameDA) no se puede instalar para todos los usuarios. Instálelo solo para usted o vuelva a intentarlo."

LangString AdminNeeded ${LANG_ENGLISH} "Installing $(^NameDA) for everyone needs administrator rights, which this account does not have."
LangString AdminNeeded ${LANG_FRENCH} "L'installation de $(^NameDA) pour tous les utilisateurs demande des droits d'administrateur, que ce compte n'a pas."
LangString AdminNeeded ${LANG_GERMAN} "Die Installation von $(^NameDA) für alle Benutzer erfordert Administratorrechte, die dieses Konto nicht hat."
LangString AdminNeeded ${LANG_SPANISH} "Instalar $(^NameDA) para todos los usuarios requiere derechos de administrador, que esta cuenta no tiene."

LangString UninstallAdminNeeded ${LANG_ENGLISH} "$(^NameDA) was installed for everyone: removing it needs administrator rights."
LangString UninstallAdminNeeded ${LANG_FRENCH} "$(^NameDA) a été installé pour tous les utilisateurs : sa désinstallation demande des droits d'administrateur."
LangString UninstallAdminNeeded ${LANG_GERMAN} "$(^NameDA) wurde für alle Benutzer installiert: Zum Entfernen sind Administratorrechte erforderlich."
LangString UninstallAdminNeeded ${LANG_SPANISH} "$(^NameDA) se instaló para todos los usuarios: para desinstalarlo se necesitan derechos de administrador."

LangString ProgramRunning ${LANG_ENGLISH} "Movalent is running. Close it, then choose Retry."
LangString ProgramRunning ${LANG_FRENCH} "Movalent est ouvert. Fermez-le, puis choisissez Réessayer."
LangString ProgramRunning ${LANG_GERMAN} "Movalent ist geöffnet. Schließen Sie es und wählen Sie dann Wiederholen."
LangString ProgramRunning ${LANG_SPANISH} "Movalent está abierto. Ciérrelo y elija Reintentar."

LangString PanelNotRegistered ${LANG_ENGLISH} "The developer tools panel could not be registered."
LangString PanelNotRegistered ${LANG_FRENCH} "Le panneau des outils de développement n'a pas pu être enregistré."
LangString PanelNotRegistered ${LANG_GERMAN} "Das Fenster der Entwicklertools konnte nicht registriert werden."
LangString PanelNotRegistered ${LANG_SPANISH} "No se pudo registrar el panel de herramientas de desarrollo."

LangString DesktopShortcut ${LANG_ENGLISH} "Desktop shortcut"
LangString DesktopShortcut ${LANG_FRENCH} "Raccourci sur le Bureau"
LangString DesktopShortcut ${LANG_GERMAN} "Verknüpfung auf dem Desktop"
LangString DesktopShortcut ${LANG_SPANISH} "Acceso directo en el escritorio"

LangString RemoveSettings ${LANG_ENGLISH} "Also remove your Movalent settings (options, language, home page)?"
LangString RemoveSettings ${LANG_FRENCH} "Supprimer aussi vos réglages de Movalent (options, langue, page d'accueil) ?"
LangString RemoveSettings ${LANG_GERMAN} "Auch Ihre Movalent-Einstellungen (Optionen, Sprache, Startseite) entfernen?"
LangString RemoveSettings ${LANG_SPANISH} "¿Eliminar también su configuración de Movalent (opciones, idioma, página de inicio)?"
