<Generator_Name>
Lumivex
</Generator_Name>
<Generator_Version>
1.0
</Generator_Version>
<Product_Name>
General Menu Structure Description Format
</Product_Name>
<Product_Version>
1.0
</Product_Version>
<Structure_Description>
0#$@A#$@a.html#$@_self#$@About A#$@
1#$@A1#$@#$@_blank#$@#$@
0#$@B#$@b.html#$@_self#$@x#$@
</Structure_Description>
