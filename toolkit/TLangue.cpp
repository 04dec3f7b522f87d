#include "toolkit/TLangue.h"

TLangue Langue(1);

TLangue::TLangue(int textCount)
    : Texts(static_cast<std::size_t>(textCount < 0 ? 1 : textCount + 1)) {}

const std::array<TRangeMessage, LanguageCount> RangeMessages = {{
    {"La Saisie n'est pas comprise entre %d et %d",
     "La Saisie n'est pas comprise entre %.*f et %.*f", "Message...."},
    {"The data capture is not included between %d and %d",
     "The data capture is not included between %.*f and %.*f", "Message...."},
    {"Die Erfassung zwischen %d und %d ist nicht inbegriffen",
     "Die Erfassung zwischen %.*f und %.*f ist nicht inbegriffen", "Mitteilung...."},
    {"L'inserimento non \xe8 compreso fra %d e %d",
     "L'inserimento non \xe8 compreso fra %.*f e %.*f", "Messaggio...."},
    {"La selecci\xf3n no est\xe1 comprendida entre %d y %d",
     "La selecci\xf3n no est\xe1 comprendida entre %.*f y %.*f", "Mensaje...."},
    {"La selecci\xf3 no est\xe0 compresa entre %d it %d",
     "La selecci\xf3 no est\xe0 compresa entre %.*f it %.*f", "Missatge...."},
}};
