#pragma once

#include <QStringList>

// Sorts names as people read them: letters without regard to case, runs of
// digits by their value ("2 Intro.mp3" before "10 Outro.mp3").
void sortNaturally(QStringList &names);
