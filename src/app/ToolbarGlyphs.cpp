// placeholder: implemented by the owner of this file
