/*
Lumivex 1.0
Copyright (C) 2026 ZQX. All rights reserved.
http://www.lumivex.com/
http://www.lumivex.com/support/
*/
var SamplePropsArray = [
['slider0.jpg','https://example.com/gallery/sky.html','_blank','Morning Sky','A calm blue morning over the bay.','Open the sky gallery'],
['slider1.jpg','https://example.com/gallery/autumn.html','_blank','Autumn Fire','Leaves turning gold and red in October.','Open the autumn gallery'],
['slider2.jpg','https://example.com/gallery/meadow.html','_self','Meadow','Green fields after the spring rain.','Open the meadow gallery'],
['slider3.jpg','javascript:void(0)','_self','Dusk','The last light of the evening.','ToolTip Here']
];
function startSample(){
var Sample = new bUar('Sample',SamplePropsArray,65,3000,1000,50,1000,50,1000,1000);
}
bdas(startSample);
