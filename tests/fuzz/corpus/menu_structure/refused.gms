<Generator_Name>
Lumivex
</Generator_Name>
<Generator_Version>
1.0
</Generator_Version>
<Product_Name>
general menu Structure Description Format
</Product_Name>
<Product_Version>
1.0
</Product_Version>
<Structure_Description>
0#$@A#$@#$@#$@#$@
</Structure_Description>
