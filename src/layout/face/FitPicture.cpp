#include "layout/face/FitPicture.h"

CFitPictureOpening OpenFitPicture(long long pictureWidth, long long pictureHeight, long long faceWidth,
                                  long long faceHeight, const std::string& faceName,
                                  const std::string& productName, int previousAnswer)
{
    CFitPictureOpening o;
    // Aspect ratios compared by cross products (w / h against W / H).
    const __int128 a = static_cast<__int128>(pictureWidth) * faceHeight;
    const __int128 b = static_cast<__int128>(pictureHeight) * faceWidth;
    if (a == b) {
        o.fits = true;
        o.preselected = -1;
        return o;
    }
    o.wider = a > b;
    if (o.wider) {
        o.choices[0] = "Use the &Left part of the Picture";
        o.choices[1] = "Use the &Center part of the Picture";
        o.choices[2] = "Use the &Right part of the Picture";
    } else {
        o.choices[0] = "Use the &Top part of the Picture";
        o.choices[1] = "Use the &Center part of the Picture";
        o.choices[2] = "Use the &Bottom part of the Picture";
    }
    o.title = "Fit Picture To " + faceName;
    o.explanation = "The Picture is not the same aspect ratio as the " + faceName + " of the " + productName +
                    ". Therefore, in order to use this Picture, it will either need to be stretched or cropped "
                    "to match. Please select from:-";
    o.preselected = previousAnswer >= 0 && previousAnswer <= 3 ? previousAnswer : 0;
    return o;
}
