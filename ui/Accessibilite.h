#pragma once

class QString;
class QWidget;

// What a screen reader meets in the three windows, beyond what the toolkit gives:
// - the window is announced as a window (a "frame") named by its caption; a top-level
//   QWidget is otherwise a nameless "filler";
// - a caption's blanks are not read out, neither as the caption nor as its field's name;
// - a drop-down list keeps its caption as its name whatever its entry, and, when it takes
//   no typing, tells its current entry as its text, which is what screen readers read
//   when it gets the focus (the toolkit exposes the entry only as the list's name, which
//   they replace by the caption).

// Makes the toolkit build the accessible objects above; run before the first control of
// a window is created (an object's accessible interface is made once).
void InstallerAccessibilite();

// Run at the end of the window's constructor, once its controls and captions exist.
void RendreAccessible(QWidget* fenetre);

// Speaks a text that appears where the keyboard cannot go (the outcome of a send): it
// becomes the description of the window's focused control, whose change screen readers
// read out. An empty text takes back the last one.
void Annoncer(QWidget* fenetre, const QString& texte);
