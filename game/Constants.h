// SPDX-License-Identifier: GPL-3.0-or-later
// The game's fixed numbers, words and colours, in one place.
//
// Coordinates are twips (1/1440 inch) from the top-left corner of the board;
// colours are 24-bit 0x00BBGGRR values, blue in the high byte.
#pragma once

#include <cstdint>
#include <string_view>

namespace navicella {

using Colour = std::uint32_t;

namespace colour {
inline constexpr Colour LightYellow = 0x00C0FFFF;  // window, shape fill, Option1's face
inline constexpr Colour Yellow = 0x0080FFFF;       // face of the captioned buttons
inline constexpr Colour Blue = 0x00FF0000;         // texts and the ship
inline constexpr Colour Green = 0x0000FF00;        // the thread
inline constexpr Colour Red = 0x000000FF;          // answered segments and the goal
inline constexpr Colour DarkGreen = 0x0000C000;    // outline of the easy-level marker
}  // namespace colour

// The browser edition's high-contrast board: the same colours, each line and
// shape in a darker shade that stands out from the window by 3:1 or more
// (thread 4.3, trail and goal 10.6, marker 7.6, ship 8.3). The trail is
// darker than the thread by 2.5:1 as well as red, so that a child who does
// not tell red from green still sees what is answered; the window, the texts
// and the buttons keep their own colours.
namespace contrast {
inline constexpr Colour LightYellow = colour::LightYellow;
inline constexpr Colour Yellow = colour::Yellow;
inline constexpr Colour Blue = colour::Blue;
inline constexpr Colour Green = 0x00008C00;
inline constexpr Colour Red = 0x00000080;
inline constexpr Colour DarkGreen = 0x00006000;
}  // namespace contrast

// Flags are 16-bit integers; only -1 counts as true.
inline constexpr std::int16_t True = -1;
inline constexpr std::int16_t False = 0;

// Headings are clock positions.
inline constexpr std::int16_t Up = 12;
inline constexpr std::int16_t Right = 3;
inline constexpr std::int16_t Down = 6;
inline constexpr std::int16_t Left = 9;

inline constexpr std::int16_t HomeLeft = 5500;  // vertex A at home
inline constexpr std::int16_t HomeTop = 3500;
inline constexpr std::int16_t HomeShipSize = 500;
inline constexpr std::int16_t FirstStepLength = 100;
inline constexpr std::int16_t RandomLengthGrowth = 100;
inline constexpr std::int16_t FixedLengthGrowth = 150;
inline constexpr std::int16_t FixedLengthLastPick = 8;
inline constexpr std::int16_t LongestEasyThread = 8;

inline constexpr int TurnsCount = 20;
inline constexpr int Line1Count = 20;
inline constexpr int Line3Count = 3;

namespace text {
inline constexpr std::string_view Title = "Guida la navicella: segui il filo di Velmora!";
inline constexpr std::string_view Question = "Sinistra o Destra ?";
inline constexpr std::string_view Retry = "Ritenta - Sinistra o Destra ?";
inline constexpr std::string_view Sinistra = "Sinistra";
inline constexpr std::string_view Destra = "Destra";
inline constexpr std::string_view Easy = "Facile";
inline constexpr std::string_view Simple = "Semplice";
inline constexpr std::string_view Complex = "Complesso";
inline constexpr std::string_view Start = "Via per iniziare";
inline constexpr std::string_view Clear = "Pulisci";
inline constexpr std::string_view Exit = "Esci";
inline constexpr std::string_view OptionsMenu = "&Opzioni";
inline constexpr std::string_view InfoMenu = "&Info";
inline constexpr std::string_view InfoTitle = "Velmora";
// Eight spaces, the signature, one space, a lone carriage return, the date: 27 characters.
inline constexpr std::string_view InfoMessage = "        vesk \rDicembre 2007";
// The box that tells of a run-time error: %1 is the error's number, %2 its message.
inline constexpr std::string_view ErrorTitle = "Navicella";
inline constexpr std::string_view ErrorMessage = "Errore di run-time '%1':\n\n%2";
// A page cannot close itself: the browser edition's "Esci" ends the game with these.
inline constexpr std::string_view Farewell =
    "Arrivederci! Grazie per aver giocato con la navicella.";
inline constexpr std::string_view Again = "Nuova partita";
}  // namespace text

// The four cues are fixed Windows paths; the player maps them where they do not exist.
namespace cue {
inline constexpr std::string_view StartCue =
    "C:\\WINDOWS\\Media\\Windows XP - barra informazioni.wav";
inline constexpr std::string_view RightCue = "C:\\WINDOWS\\Media\\chimes.wav";
inline constexpr std::string_view WrongCue = "C:\\WINDOWS\\Media\\chord.wav";
inline constexpr std::string_view EndCue = "C:\\WINDOWS\\Media\\tada.wav";
// A cue cut off by the next fades out over this long, so that it stops without a click.
inline constexpr int FadeMs = 5;
}  // namespace cue

}  // namespace navicella
