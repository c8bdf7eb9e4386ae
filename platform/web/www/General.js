// Stand-in of the interface's shared script: the image-swap functions the
// pages' links call on mouse over and out.
var MM_swapped = [];

function MM_findObj(n, d)
{
    d = d || document;
    var x = d.images[n] || d.getElementById(n);
    if (!x && d.forms)
        for (var i = 0; !x && i < d.forms.length; i++)
            x = d.forms[i][n];
    return x || null;
}

function MM_swapImage()
{
    var a = arguments;
    MM_swapped = [];
    for (var i = 0; i + 2 < a.length; i += 3) {
        var x = MM_findObj(a[i]);
        if (x != null) {
            MM_swapped.push(x);
            if (!x.oSrc)
                x.oSrc = x.src;
            x.src = a[i + 2];
        }
    }
}

function MM_swapImgRestore()
{
    for (var i = 0; i < MM_swapped.length; i++)
        if (MM_swapped[i].oSrc)
            MM_swapped[i].src = MM_swapped[i].oSrc;
    MM_swapped = [];
}

function MM_preloadImages()
{
    for (var i = 0; i < arguments.length; i++)
        new Image().src = arguments[i];
}
