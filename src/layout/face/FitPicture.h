#pragma once
// The opening step of the "Fit Picture To" dialog: whether a picture of
// w x h pixels needs fitting to a face of W x H pixels, and the texts and
// the preselected answer the dialog starts with.

#include <string>

// Answers: -1 no fitting needed, 0 stretch, 1 first part (left / top),
// 2 centre, 3 last part (right / bottom).
struct CFitPictureOpening {
    bool fits = false;     // the dialog closes at once with -1
    bool wider = false;    // the picture is relatively wider than the face
    std::string choices[3];
    std::string title;
    std::string explanation;
    int preselected = 0;
};

CFitPictureOpening OpenFitPicture(long long pictureWidth, long long pictureHeight, long long faceWidth,
                                  long long faceHeight, const std::string& faceName,
                                  const std::string& productName, int previousAnswer);
